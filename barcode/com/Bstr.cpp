#include "Bstr.h"

namespace fernlowe::com {

std::u16string FromBstr(BSTR text) {
    if (text == nullptr) {
        return {};
    }
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

BSTR NewBstr(const std::u16string& text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
}

bool ReplaceIfChanged(BSTR* target, const std::u16string& text) {
    if (FromBstr(*target) == text) {
        return true;
    }
    BSTR copy = NewBstr(text);
    if (copy == nullptr) {
        return false;
    }
    SysFreeString(*target);
    *target = copy;
    return true;
}

}  // namespace fernlowe::com
