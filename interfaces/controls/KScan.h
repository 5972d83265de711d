#pragma once

#include "controls/PropertyValue.h"

#include <QObject>

// The scanner control. The station drives it only by writing and reading numbered properties and
// handles its numbered events, which always arrive later through the event loop of the thread
// that owns the control, never from inside the property write that started a run.
//
// Property writes and reads throw ControlError when the control refuses them.
class KScan : public QObject {
    Q_OBJECT

  public:
    // Dispatch numbers that have a name of their own.
    enum Property : int { Action = 3, ActiveDevice = 8, DeviceMethod = 12, IOWriteMode = 60 };

    using QObject::QObject;

    virtual void write(int dispid, const PropertyValue& value) = 0;
    virtual PropertyValue read(int dispid) = 0;

  signals:
    // A run is starting.
    void event10();
    // Page start.
    void event11();
    // Page end: the page has been read and is written to the file named by property 96 once
    // every handler has returned; property 97 tells whether the page completes an image.
    void event12();
    // Page done: the page's file is written. The arguments are the number of pages done in
    // this run and the page's side of its sheet (1 front, 2 back).
    void event14(qint32 pagesDone, qint32 side);
    // Scanner error; the run has ended. Passed by reference, so connect directly.
    void event15(qint16& number, QString& description);
};
