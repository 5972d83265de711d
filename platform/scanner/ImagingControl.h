#pragma once

#include "controls/KImgp.h"
#include "scanner/Page.h"
#include "scanner/PropertyStore.h"

#include <QPointer>

class ScannerControl;

// The image-processing control: it holds the endorser's settings and prints the endorser's
// imprint into each page that its scanner control stores while endorsing is on.
class ImagingControl : public KImgp {
    Q_OBJECT

  public:
    // Dispatch numbers of the endorser.
    enum Endorser : int {
        Fitted = 45,          // read-only: an endorser can be offered
        Ready = 138,          // read-only: the endorser is ready
        Endorsing = 139,      // on or off
        FixedText = 142,      // printed before the counter
        PrintPosition = 143,  // from the top of the page, in 1/200 inch
        Counter = 149,        // the counter's value for the next page
        CounterDigits = 150,  // the counter is printed with at least this many digits
        DotSize = 153,        // each dot of the characters, in 1/200 inch
        CounterStep = 154,    // added to the counter after each page
        CounterMode = 155,    // kept; has no effect on these sources
    };

    explicit ImagingControl(QObject* parent = nullptr);

    void write(int dispid, const PropertyValue& value) override;
    PropertyValue read(int dispid) override;

    // Set by the scanner control when the station links the two (its property 84).
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
