#pragma once

#include <sane/sane.h>

#include <string>
#include <vector>

// The options of a production sheet-fed scanner with an imprinter, under the names such
// scanners' SANE backends give them.
enum class OptionId {
    Count,
    ScanGroup,
    Source,      // "ADF Front" or "ADF Duplex"
    Mode,        // "Lineart" or "Gray"
    Resolution,  // dots per inch
    PageHeight,  // millimetres
    EndorserGroup,
    Endorser,        // the imprinter on or off; setting it reloads the options
    EndorserBits,    // the counter's width, 16 or 24 bits; setting it reloads the options
    EndorserVal,     // the counter's value for the next sheet
    EndorserStep,    // added to the counter after each sheet
    EndorserY,       // millimetres from the sheet's top edge
    EndorserFont,    // "Horizontal" or "Horizontal bold"
    EndorserDir,     // "Top to bottom" or "Bottom to top"
    EndorserSide,    // "Front" or "Back"
    EndorserString,  // the text, with its counter placeholder
    SensorGroup,
    InkLow,      // read only
    InkRemain,   // read only, percent
    DoubleFeed,  // read only: the last sheet was fed with another
};

struct OptionValues {
    std::string source = "ADF Front";
    std::string mode = "Lineart";
    SANE_Int resolution = 200;
    SANE_Fixed pageHeight = SANE_FIX(279.4);
    SANE_Bool endorser = SANE_FALSE;
    SANE_Int bits = 16;
    SANE_Int val = 0;
    SANE_Int step = 1;
    SANE_Fixed y = SANE_FIX(10);
    std::string font = "Horizontal";
    std::string dir = "Top to bottom";
    std::string side = "Front";
    std::string string = "%05ud";
    SANE_Bool inkLow = SANE_FALSE;
    SANE_Int inkRemain = 100;
    SANE_Bool doubleFeed = SANE_FALSE;
};

// The option descriptors and values of one open device, with SANE's rules: values are kept
// within their constraints (SANE_INFO_INEXACT when one was changed), inactive and read-only
// options refuse to be set, and an option that changes others asks for a reload, after which the
// descriptors live in new storage, as the frontend must not keep the old ones.
class OptionSet {
  public:
    // Without an imprinter the endorser and ink options do not exist. Every option set is
    // appended to the log file as name=value, when one is named.
    OptionSet(bool imprinter, int ink, std::string log);

    OptionValues values;

    SANE_Int count() const { return SANE_Int(ids_.size()); }
    OptionId id(SANE_Int index) const { return ids_[size_t(index)]; }
    const SANE_Option_Descriptor* descriptor(SANE_Int index) const;
    SANE_Status control(SANE_Int index, SANE_Action action, void* value, SANE_Int* info);

  private:
    void describe();
    SANE_Status set(OptionId id, const SANE_Option_Descriptor& option, void* value, SANE_Int* info);
    void get(OptionId id, const SANE_Option_Descriptor& option, void* value) const;
    void logSet(const SANE_Option_Descriptor& option, OptionId id) const;

    bool imprinter_;
    std::string log_;
    std::vector<OptionId> ids_;
    std::vector<SANE_Option_Descriptor> descriptors_;
    SANE_Range counterRange_{};
    SANE_Range yRange_{};
};
