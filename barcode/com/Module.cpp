#include "Module.h"

// The linker's symbol for the start of this image, which is also its module handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace fernlowe::com {

namespace {
LONG module_locks = 0;
}  // namespace

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase),
                                                path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // truncated: try again with more room
    }
}

void LockModule() {
    InterlockedIncrement(&module_locks);
}

void UnlockModule() {
    InterlockedDecrement(&module_locks);
}

}  // namespace fernlowe::com

STDAPI DllCanUnloadNow() {
    return InterlockedCompareExchange(&fernlowe::com::module_locks, 0, 0) == 0 ? S_OK : S_FALSE;
}
