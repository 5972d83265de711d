// The class factory of class C and DllGetClassObject, which hands it out.
#include <windows.h>

#include <new>

#include "Module.h"
#include "ReportFunctions.h"
#include "TypeLibrary.h"
#include "cruflFernlowe.h"

namespace fernlowe::com {

namespace {

// One factory for the whole process. References to it, like locks, keep the module loaded.
class ClassFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }

    // The factory is never freed; the counts it returns are only for show.
    ULONG STDMETHODCALLTYPE AddRef() override {
        LockModule();
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        UnlockModule();
        return 1;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        ITypeInfo* type_info = nullptr;
        HRESULT hr = LoadReportFunctionsTypeInfo(&type_info);
        if (FAILED(hr)) {
            return hr;
        }
        ReportFunctions* instance = new (std::nothrow) ReportFunctions(type_info);
        type_info->Release();
        if (instance == nullptr) {
            return E_OUTOFMEMORY;
        }
        hr = instance->QueryInterface(riid, object);
        instance->Release();
        return hr;
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            LockModule();
        } else {
            UnlockModule();
        }
        return S_OK;
    }
};

ClassFactory factory;

}  // namespace

}  // namespace fernlowe::com

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_C)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return fernlowe::com::factory.QueryInterface(riid, object);
}
