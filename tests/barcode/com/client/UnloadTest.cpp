// The DLL's exports, and DllCanUnloadNow while objects, class-factory references and locks
// live. The DLL is loaded by name here too, which gives the module COM has loaded.
#include <set>
#include <string>

#include "Checks.h"
#include "Objects.h"
#include "Tests.h"

namespace {

// The names in the module's export table.
std::set<std::string> ExportNames(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (entry.Size == 0) {
        return names;
    }
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    const auto* name_offsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.insert(reinterpret_cast<const char*>(base + name_offsets[i]));
    }
    check::That(exports->NumberOfFunctions == exports->NumberOfNames, "every export has a name");
    return names;
}

using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

void CheckFactoryLocks(CanUnloadNow can_unload, GetClassObject get_class_object) {
    IClassFactory* factory = nullptr;
    check::Status(get_class_object(CLSID_C, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
                  S_OK, "DllGetClassObject");
    if (factory == nullptr) {
        return;
    }
    check::Status(can_unload(), S_FALSE, "DllCanUnloadNow while the factory is held");
    IUnknown* aggregate = nullptr;
    check::Status(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IUnknown,
                                          reinterpret_cast<void**>(&aggregate)),
                  CLASS_E_NOAGGREGATION, "C cannot be aggregated");
    factory->LockServer(TRUE);
    factory->Release();
    check::Status(can_unload(), S_FALSE, "DllCanUnloadNow while the factory is locked");
    get_class_object(CLSID_C, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    factory->LockServer(FALSE);
    factory->Release();
    check::Status(can_unload(), S_OK, "DllCanUnloadNow after the lock is gone");

    void* other = nullptr;
    check::Status(get_class_object(IID__C, IID_IClassFactory, &other), CLASS_E_CLASSNOTAVAILABLE,
                  "DllGetClassObject for another class");
}

}  // namespace

void CheckUnloading() {
    HMODULE module = LoadLibraryW(L"cruflFernlowe.dll");
    check::That(module != nullptr, "the DLL loads");
    if (module == nullptr) {
        return;
    }
    check::That(
        ExportNames(module) == std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                                     "DllRegisterServer", "DllUnregisterServer"},
        "exactly the four exports, undecorated");
    // Through void*: GetProcAddress gives every export one function type.
    const auto can_unload = reinterpret_cast<CanUnloadNow>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    const auto get_class_object = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (can_unload == nullptr || get_class_object == nullptr) {
        FreeLibrary(module);
        return;
    }
    check::Status(can_unload(), S_OK, "DllCanUnloadNow with nothing alive");
    IDispatch* object = CreateByProgId();
    check::That(object != nullptr, "CRUFLFernlowe.C can be created");
    check::Status(can_unload(), S_FALSE, "DllCanUnloadNow while an object lives");
    if (object != nullptr) {
        _C* typed = AsInterface(object);
        object->Release();
        check::Status(can_unload(), S_FALSE, "DllCanUnloadNow while a reference remains");
        if (typed != nullptr) {
            typed->Release();
        }
    }
    check::Status(can_unload(), S_OK, "DllCanUnloadNow after the last release");
    CheckFactoryLocks(can_unload, get_class_object);
    FreeLibrary(module);
}
