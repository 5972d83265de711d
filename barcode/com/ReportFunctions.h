#pragma once

#include <windows.h>

#include "cruflFernlowe.h"

namespace fernlowe::com {

// An instance of class C: the six report functions behind interface _C. It keeps nothing
// between calls; IDispatch is served by the type information of _C, so that Invoke and the
// function table agree by construction.
class ReportFunctions final : public _C, public ISupportErrorInfo {
  public:
    // Holds a reference to the type information and a lock on the module while it lives.
    explicit ReportFunctions(ITypeInfo* type_info);
    ReportFunctions(const ReportFunctions&) = delete;
    ReportFunctions& operator=(const ReportFunctions&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* arg_error) override;

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

    HRESULT STDMETHODCALLTYPE ode39(BSTR* yourdata, short* checkdigit, BSTR* delim,
                                    BSTR* result) override;
    HRESULT STDMETHODCALLTYPE odeITF(BSTR* yourdata, short* checkdigit, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE ode128(BSTR* yourdata, short* format, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE odeUPCA(BSTR* yourdata, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE odeEAN13(BSTR* yourdata, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE odeEAN8(BSTR* yourdata, BSTR* result) override;

  private:
    ~ReportFunctions();

    LONG references_ = 1;
    ITypeInfo* type_info_;
};

}  // namespace fernlowe::com
