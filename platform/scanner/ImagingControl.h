#pragma once

#include "controls/KImgp.h"
#include "scanner/Endorsement.h"
#include "scanner/Page.h"
#include "scanner/PropertyStore.h"

#include <QPointer>
#include <optional>

class ScannerControl;

// The image-processing control: it holds the endorser's settings. Where the scanner's device has
// an imprinter of its own, the imprinter prints them on the paper; otherwise the control draws
// the imprint into each page that its scanner control stores while endorsing is on. CounterMode
// is kept and has no effect on these sources.
class ImagingControl : public KImgp {
    Q_OBJECT

  public:
    explicit ImagingControl(QObject* parent = nullptr);

    void write(int dispid, const PropertyValue& value) override;
    PropertyValue read(int dispid) override;

    // Set by the scanner control when the station links the two (its ImageProcessing).
    void attach(ScannerControl* scanner) { scanner_ = scanner; }
    // What the device's imprinter is to print on each sheet of the next run: nothing when not
    // endorsing.
    std::optional<Endorsement> endorsement() const;
    // Draws the imprint into the page when endorsing without the device's imprinter, and moves
    // the counter on.
    void endorse(Page& page);

  private:
    // The endorser can be offered: the section offers it and the scanner's device is open.
    bool fitted() const;
    // It can print now: the device's imprinter, where it has one, has ink.
    bool ready() const;

    PropertyStore properties_;
    QPointer<ScannerControl> scanner_;
    bool loaded_ = false;
    bool fitted_ = false;
};
