#pragma once

#include "controls/PropertyValue.h"

#include <initializer_list>
#include <map>

// The numbered properties of one control: their types, which of them the station may write,
// and their current values.
class PropertyStore {
  public:
    enum class Type { Int16, Int32, Text, Boolean, Object };
    struct Declaration {
        int dispid;
        Type type;
        bool writable = true;
    };

    // Each property starts at 0, empty text, False or no object.
    explicit PropertyStore(std::initializer_list<Declaration> declarations);

    // The value as the property holds it: integers of either width are converted to the
    // declared width. Throws ControlError for an unknown or read-only property, a value of the
    // wrong type, or an integer the declared width cannot hold.
    PropertyValue accept(int dispid, const PropertyValue& value) const;

    // Throws ControlError for an unknown property.
    PropertyValue get(int dispid) const;
    void set(int dispid, const PropertyValue& value) { values_[dispid] = value; }

    // Typed access for the control's own use.
    qint32 integer(int dispid) const;
    QString text(int dispid) const { return std::get<QString>(values_.at(dispid)); }
    bool boolean(int dispid) const { return std::get<bool>(values_.at(dispid)); }

  private:
    std::map<int, Declaration> declarations_;
    std::map<int, PropertyValue> values_;
};
