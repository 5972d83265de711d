#pragma once

#include "controls/PropertyValue.h"

#include <QObject>

// The image-processing control, which also runs the endorser. Driven by numbered property writes
// and reads like the scanner control; it has no events.
//
// Property writes and reads throw ControlError when the control refuses them.
class KImgp : public QObject {
    Q_OBJECT

  public:
    enum Property : int { Action = 2 };

    using QObject::QObject;

    virtual void write(int dispid, const PropertyValue& value) = 0;
    virtual PropertyValue read(int dispid) = 0;
};
