#pragma once

#include <string>

// One shared library, opened on the first entry point asked of it and kept open for the life
// of the program. Failures raise LHDLLInterface::LibraryError.
class LibraryBinding {
  public:
    explicit LibraryBinding(std::string path) : path_(std::move(path)) {}
    LibraryBinding(const LibraryBinding&) = delete;
    LibraryBinding& operator=(const LibraryBinding&) = delete;

    void* EntryPoint(const char* name);
    // As EntryPoint, but nullptr when the library does not export the name.
    void* OptionalEntryPoint(const char* name);
    // The file the dynamic linker opened for the path, which may be a bare name.
    std::string File();

  private:
    void Open();

    std::string path_;
    void* handle_ = nullptr;
};
