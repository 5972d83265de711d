#pragma once

#include "Config.h"
#include "Options.h"
#include "Sheet.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

// One open emulated scanner. Each sane_start feeds the next side: the front of the next sheet,
// or in "ADF Duplex" the back of the sheet whose front was just read. A sheet goes to the tray
// once its last side is read; a jam or a double feed leaves it in the feeder. The imprinter
// prints on the sheet as it is fed, so that the image of the printed side carries the text.
class Device {
  public:
    explicit Device(const DeviceConfig& config);

    OptionSet& options() { return options_; }
    SANE_Status control(SANE_Int index, SANE_Action action, void* value, SANE_Int* info);
    SANE_Status parameters(SANE_Parameters* parameters) const;
    SANE_Status start();
    SANE_Status read(SANE_Byte* data, SANE_Int maxLength, SANE_Int* length);
    // May come from another thread while read runs: it only marks the scan cancelled, and the
    // next start puts the paper path in order.
    void cancel() { cancelled_ = true; }

  private:
    void clearPaperPath();
    // The side at the device's resolution and page height, with the imprint where it falls.
    std::vector<std::uint8_t> frame(const GrayImage& side, int sideIndex);
    bool duplex() const { return options_.values.source == "ADF Duplex"; }
    std::uint32_t counterMask() const { return (1u << options_.values.bits) - 1; }

    DeviceConfig config_;
    OptionSet options_;
    std::atomic<bool> cancelled_ = false;
    bool gone_ = false;  // the scanner has disappeared; it answers nothing until opened again
    std::uint32_t counter_ = 0;  // the imprinter's counter for the next sheet

    std::optional<Sheet> sheet_;  // in the paper path
    int side_ = 0;                // of the sheet, being read or next to read
    std::uint32_t sheetCounter_ = 0;
    Fault fault_ = Fault::None;
    bool scanning_ = false;
    std::vector<std::uint8_t> frame_;
    size_t position_ = 0;
    size_t faultAt_ = 0;  // the byte where the sheet's fault stops the read
    SANE_Parameters parameters_{};
};
