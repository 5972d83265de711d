// What regsvr32 left in the registry, and that unregistration takes all of it away again.
#include <vector>

#include "Checks.h"
#include "Objects.h"
#include "Registry.h"
#include "Tests.h"

namespace {

const std::wstring kClassKey = L"CLSID\\" + GuidText(CLSID_C);
const std::wstring kTypeLibKey = L"TypeLib\\" + GuidText(LIBID_CRUFLFernlowe);
const std::wstring kInterfaceKey = L"Interface\\" + GuidText(IID__C);

std::wstring Value(const std::wstring& key, const wchar_t* name) {
    return TextValue(key, name).value_or(L"(missing)");
}

}  // namespace

void CheckRegistration() {
    CLSID clsid = {};
    check::Status(CLSIDFromProgID(L"CRUFLFernlowe.C", &clsid), S_OK, "CLSIDFromProgID");
    check::That(IsEqualCLSID(clsid, CLSID_C), "the ProgID names class C");
    check::Equal(Value(L"CRUFLFernlowe.C\\CLSID", nullptr), GuidText(CLSID_C), "ProgID's CLSID");

    const std::wstring server = kClassKey + L"\\InprocServer32";
    // regsvr32 ran in this folder, where the DLL lies.
    check::That(
        CompareStringOrdinal(Value(server, nullptr).c_str(), -1,
                             FullPath(L"cruflFernlowe.dll").c_str(), -1, TRUE) == CSTR_EQUAL,
        "InprocServer32 is the DLL's full path: " + check::Printable(Value(server, nullptr)));
    check::Equal(Value(server, L"ThreadingModel"), L"Apartment", "ThreadingModel");
    check::Equal(Value(kClassKey + L"\\ProgID", nullptr), L"CRUFLFernlowe.C", "class's ProgID");
    check::Equal(Value(kClassKey + L"\\TypeLib", nullptr), GuidText(LIBID_CRUFLFernlowe),
                 "class's TypeLib");
    check::Equal(Value(kClassKey + L"\\Version", nullptr), L"1.0", "class's Version");

#ifdef _WIN64
    const wchar_t* platform = L"win64";
#else
    const wchar_t* platform = L"win32";
#endif
    check::That(KeyExists(kTypeLibKey + L"\\1.0\\409\\" + platform),
                "the type library is registered as 1.0, locale 409, " + check::Printable(platform));
    check::Equal(Value(kInterfaceKey + L"\\TypeLib", nullptr), GuidText(LIBID_CRUFLFernlowe),
                 "interface _C's TypeLib");
}

void CheckUnregistered() {
    CLSID clsid = {};
    check::That(FAILED(CLSIDFromProgID(L"CRUFLFernlowe.C", &clsid)), "the ProgID is gone");
    check::That(CreateByProgId() == nullptr, "creation by ProgID fails");
    IUnknown* object = nullptr;
    check::Status(CoCreateInstance(CLSID_C, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&object)),
                  REGDB_E_CLASSNOTREG, "creation by class identifier");
    for (const std::wstring& key :
         std::vector<std::wstring>{kClassKey, L"CRUFLFernlowe.C", kTypeLibKey, kInterfaceKey}) {
        check::That(!KeyExists(key), "removed: HKCR\\" + check::Printable(key));
    }
}
