// Self-registration: the type library, class C as an apartment-threaded in-process server and
// its programmatic identifier, all below HKEY_CLASSES_ROOT; unregistration removes them again.
#include <olectl.h>
#include <windows.h>

#include <string>

#include "Module.h"
#include "Names.h"
#include "TypeLibrary.h"
#include "cruflFernlowe.h"

namespace fernlowe::com {

namespace {

constexpr WORD kMajorVersion = 1;
constexpr WORD kMinorVersion = 0;
constexpr LCID kLocale = 0x0409;
// RegisterTypeLib files the library under the platform of the DLL's own build.
#ifdef _WIN64
constexpr SYSKIND kPlatform = SYS_WIN64;
#else
constexpr SYSKIND kPlatform = SYS_WIN32;
#endif

std::wstring GuidText(REFGUID guid) {
    wchar_t text[39];
    StringFromGUID2(guid, text, 39);
    return text;
}

std::wstring ClassKey() {
    return L"CLSID\\" + GuidText(CLSID_C);
}

// Sets a string value (name null: the key's default value), creating the key.
HRESULT SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
        status =
            RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }
    return HRESULT_FROM_WIN32(status);
}

// Removes a key with everything below it; a key that is not there is no failure.
HRESULT DeleteTree(const std::wstring& key) {
    const LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

bool KeyExists(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

HRESULT RegisterTypeLibrary(const std::wstring& path) {
    ITypeLib* library = nullptr;
    HRESULT hr = LoadOwnTypeLibrary(&library);
    if (SUCCEEDED(hr)) {
        // RegisterTypeLib only reads the path it is given.
        hr = RegisterTypeLib(library, const_cast<wchar_t*>(path.c_str()), nullptr);
        library->Release();
    }
    return hr;
}

HRESULT RegisterClassC(const std::wstring& path) {
    const std::wstring clsid = GuidText(CLSID_C);
    const std::wstring server = ClassKey() + L"\\InprocServer32";
    const struct {
        std::wstring key;
        const wchar_t* name;
        std::wstring value;
    } entries[] = {
        {ClassKey(), nullptr, kProgId},
        {server, nullptr, path},
        {server, L"ThreadingModel", L"Apartment"},
        {ClassKey() + L"\\ProgID", nullptr, kProgId},
        {ClassKey() + L"\\TypeLib", nullptr, GuidText(LIBID_CRUFLFernlowe)},
        {ClassKey() + L"\\Version", nullptr, L"1.0"},
        {kProgId, nullptr, kProgId},
        {std::wstring(kProgId) + L"\\CLSID", nullptr, clsid},
    };
    for (const auto& entry : entries) {
        const HRESULT hr = SetText(entry.key, entry.name, entry.value);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

}  // namespace

}  // namespace fernlowe::com

STDAPI DllUnregisterServer() {
    using namespace fernlowe::com;
    HRESULT result = S_OK;
    if (KeyExists(L"TypeLib\\" + GuidText(LIBID_CRUFLFernlowe))) {
        result = UnRegisterTypeLib(LIBID_CRUFLFernlowe, kMajorVersion, kMinorVersion, kLocale,
                                   kPlatform);
    }
    for (const std::wstring& key : {ClassKey(), std::wstring(kProgId)}) {
        const HRESULT hr = DeleteTree(key);
        if (SUCCEEDED(result)) {
            result = hr;
        }
    }
    return FAILED(result) ? SELFREG_E_CLASS : S_OK;
}

STDAPI DllRegisterServer() {
    using namespace fernlowe::com;
    const std::wstring path = ModulePath();
    if (path.empty()) {
        return SELFREG_E_CLASS;
    }
    if (FAILED(RegisterTypeLibrary(path))) {
        DllUnregisterServer();
        return SELFREG_E_TYPELIB;
    }
    if (FAILED(RegisterClassC(path))) {
        DllUnregisterServer();  // leave nothing half done
        return SELFREG_E_CLASS;
    }
    return S_OK;
}
