#include "scanning/LibraryBinding.h"

#include <dlfcn.h>
#include <link.h>

#include "scanning/LHDLLInterface.h"

void LibraryBinding::Open() {
    if (handle_ != nullptr) {
        return;
    }
    // dlopen into the program's own namespace. The loader searches a bare name along the run path
    // of the object that calls it, and sanitizers replace dlopen itself, which would make their
    // runtime the caller; they leave dlmopen alone.
    handle_ = dlmopen(LM_ID_BASE, path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        throw LHDLLInterface::LibraryError(
            LHDLLInterface::LibraryNotFound,
            "Ballot-reading library " + path_ + " cannot be loaded: " + dlerror());
    }
}

std::string LibraryBinding::File() {
    Open();
    const link_map* library = nullptr;
    if (dlinfo(handle_, RTLD_DI_LINKMAP, &library) != 0) {
        return path_;
    }
    return library->l_name;
}

void* LibraryBinding::OptionalEntryPoint(const char* name) {
    Open();
    return dlsym(handle_, name);
}

void* LibraryBinding::EntryPoint(const char* name) {
    void* entry = OptionalEntryPoint(name);
    if (entry == nullptr) {
        throw LHDLLInterface::LibraryError(
            LHDLLInterface::EntryPointNotFound,
            std::string("Entry point ") + name + " not found in ballot-reading library " + path_);
    }
    return entry;
}
