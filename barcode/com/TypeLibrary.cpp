#include "TypeLibrary.h"

#include "Module.h"
#include "cruflFernlowe.h"

namespace fernlowe::com {

HRESULT LoadOwnTypeLibrary(ITypeLib** library) {
    const std::wstring path = ModulePath();
    if (path.empty()) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
}

HRESULT LoadReportFunctionsTypeInfo(ITypeInfo** info) {
    ITypeLib* library = nullptr;
    const HRESULT hr = LoadOwnTypeLibrary(&library);
    if (FAILED(hr)) {
        return hr;
    }
    const HRESULT found = library->GetTypeInfoOfGuid(IID__C, info);
    library->Release();
    return found;
}

}  // namespace fernlowe::com
