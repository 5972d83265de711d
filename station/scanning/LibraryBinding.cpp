#include "scanning/LibraryBinding.h"

#include <dlfcn.h>

#include "scanning/LHDLLInterface.h"

void* LibraryBinding::EntryPoint(const char* name) {
    if (handle_ == nullptr) {
        handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) {
            throw LHDLLInterface::LibraryError(
                LHDLLInterface::LibraryNotFound,
                "Ballot-reading library " + path_ + " cannot be loaded: " + dlerror());
        }
    }
    dlerror();
    void* entry = dlsym(handle_, name);
    if (entry == nullptr) {
        throw LHDLLInterface::LibraryError(
            LHDLLInterface::EntryPointNotFound,
            std::string("Entry point ") + name + " not found in ballot-reading library " + path_);
    }
    return entry;
}
