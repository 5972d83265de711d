#pragma once

#include <QObject>

#include "controls/PropertyValue.h"

// The scanner control. The station drives it only by writing and reading numbered properties and
// handles its numbered events, which always arrive later through the event loop of the thread
// that owns the control, never from inside the property write that started a run.
//
// Property writes and reads throw ControlError when the control refuses them.
class KScan : public QObject {
    Q_OBJECT

  public:
    // Dispatch numbers of the properties the station writes and reads; 32-bit integers unless
    // noted.
    enum Property : int {
        Action = 3,            // what the control is to do: an ActionCode
        ActiveDevice = 8,      // 0: the device of the loaded initialisation section
        DeviceMethod = 12,     // where the next run feeds from: a Device
        PageLength = 47,       // a PageLengthCode
        IOWriteMode = 60,      // PageToFile
        Feeding = 67,          // Boolean, read only: a run is under way
        IniFile = 79,          // text: the initialisation file
        IniSectionName = 80,   // text: its section for this control
        ImageProcessing = 84,  // object: the image-processing control that endorses the pages
        ErrorCode = 86,        // 16-bit: not 0 after a scan that ended in a scanner error
        OutputFile = 96,       // text: the file the current page is written to
        MorePages = 97,        // Boolean, read at page end: the page does not complete an image
        Setup = 112,           // text, written once at start-up
    };

    // Values of Action.
    enum ActionCode : qint32 {
        OpenDevice = 1,       // open the device of the loaded section
        Release = 2,          // close the device and let the scanner go
        CloseDevice = 3,      // close the device, keeping the loaded section
        StartFeeding = 4,     // start a run; its pages arrive as events
        StopFeeding = 6,      // feed no further sheet once the current page is stored
        LoadSection = 8,      // load the initialisation section and open the device it names
        ClearPaperPath = 13,  // end the run at once
    };

    // Values of DeviceMethod.
    enum Device : qint32 { CardSlot = 0, Feeder = 1 };

    // The value of IOWriteMode: each page to the file named by OutputFile.
    enum WriteMode : qint32 { PageToFile = 2 };

    // Values of PageLength by ballot length; every card scan uses Length11Inches.
    enum PageLengthCode : qint32 {
        Length11Inches = 128,
        Length14Inches = 32768,
        Length18Inches = 4194304,  // 17- and 18-inch ballots
    };

    using QObject::QObject;

    virtual void write(int dispid, const PropertyValue& value) = 0;
    virtual PropertyValue read(int dispid) = 0;

  signals:
    // A run is starting.
    void event10();
    // Page start.
    void event11();
    // Page end: the page has been read and is written to the file named by OutputFile once every
    // handler has returned; MorePages tells whether the page completes an image.
    void event12();
    // Page done: the page's file is written. The arguments are the number of pages done in
    // this run and the page's side of its sheet (1 front, 2 back).
    void event14(qint32 pagesDone, qint32 side);
    // Scanner error; the run has ended. Passed by reference, so connect directly.
    void event15(qint16& number, QString& description);
};
