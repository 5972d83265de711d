#include "ErrorInfo.h"

#include <string>

#include "Names.h"
#include "cruflFernlowe.h"

namespace fernlowe::com {

HRESULT ReportError(const ReportFunctionError& error) {
    const HRESULT status = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, error.number());
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create))) {
        return status;  // the number still reaches the caller
    }
    // The encoders' error texts are plain ASCII.
    const std::string text = error.what();
    std::wstring description(text.begin(), text.end());
    create->SetGUID(IID__C);
    create->SetSource(const_cast<LPOLESTR>(kProgId));
    create->SetDescription(description.data());
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
    return status;
}

}  // namespace fernlowe::com
