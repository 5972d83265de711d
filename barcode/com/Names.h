#pragma once

namespace fernlowe::com {

// The programmatic identifier of class C: library name, a point, class name. Also the
// source named in the error information of a failed call.
inline constexpr wchar_t kProgId[] = L"CRUFLFernlowe.C";

}  // namespace fernlowe::com
