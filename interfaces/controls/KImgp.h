#pragma once

#include <QObject>

#include "controls/PropertyValue.h"

// The image-processing control, which also runs the endorser. Driven by numbered property writes
// and reads like the scanner control; it has no events.
//
// Property writes and reads throw ControlError when the control refuses them.
class KImgp : public QObject {
    Q_OBJECT

  public:
    // Dispatch numbers of the properties the station writes and reads.
    enum Property : int {
        Action = 2,           // 32-bit: LoadSection
        IniFile = 7,          // text: the initialisation file
        IniSectionName = 8,   // text: its section for this control
        EndorserFitted = 45,  // Boolean, read only: an endorser can be offered
        EndorserReady = 138,  // Boolean, read only: the endorser is ready
        Endorsing = 139,      // Boolean: endorse the pages of the next run
        FixedText = 142,      // text: printed before the counter
        PrintPosition = 143,  // 32-bit: from the top of the page, in 1/200 inch
        Counter = 149,        // 32-bit: the counter's value for the next page
        CounterDigits = 150,  // 16-bit: the counter is printed with at least this many digits
        DotSize = 153,        // 32-bit: each dot of the characters, in 1/200 inch
        CounterStep = 154,    // 16-bit: added to the counter after each page
        CounterMode = 155,    // 16-bit
    };

    // The value of Action: load the endorser's settings from the initialisation section.
    enum ActionCode : qint32 { LoadSection = 2 };

    // The highest counter the endorser is given: the last image number of a full batch. A
    // scanner's imprinter counts at least this far without wrapping where it can.
    static constexpr qint32 LargestCounter = 100000;

    using QObject::QObject;

    virtual void write(int dispid, const PropertyValue& value) = 0;
    virtual PropertyValue read(int dispid) = 0;
};
