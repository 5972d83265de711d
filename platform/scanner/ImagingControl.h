#pragma once

#include "controls/KImgp.h"
#include "scanner/Page.h"
#include "scanner/PropertyStore.h"

#include <QPointer>

class ScannerControl;

// The image-processing control: it holds the endorser's settings and prints the endorser's
// imprint into each page that its scanner control stores while endorsing is on. CounterMode is
// kept and has no effect on these sources.
class ImagingControl : public KImgp {
    Q_OBJECT

  public:
    explicit ImagingControl(QObject* parent = nullptr);

    void write(int dispid, const PropertyValue& value) override;
    PropertyValue read(int dispid) override;

    // Set by the scanner control when the station links the two (its ImageProcessing).
    void attach(ScannerControl* scanner) { scanner_ = scanner; }
    // Prints the imprint into the page when endorsing, and moves the counter on.
    void endorse(Page& page);

  private:
    bool ready() const;

    PropertyStore properties_;
    QPointer<ScannerControl> scanner_;
    bool loaded_ = false;
    bool fitted_ = false;
};
