#include "LHDLLInterface.h"

#include <cstdlib>

#include "LibraryBinding.h"

namespace LHDLLInterface {
namespace {

LibraryBinding& Library() {
    static LibraryBinding library(LibraryPath());
    return library;
}

}  // namespace

LibraryError::LibraryError(int number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

std::string LibraryPath() {
    if (const char* path = std::getenv("LINDHOLLOW_LHDLL"); path != nullptr && *path != '\0') {
        return path;
    }
    return "libLHDLL.so";
}

std::string LibraryFile() {
    return Library().File();
}

void ClearImageBuffer() {
    // A failed binding leaves the pointer unset, so the next call tries again.
    static const auto entry =
        reinterpret_cast<void (*)()>(Library().EntryPoint("ClearImageBuffer"));
    entry();
}

std::int16_t ReadBallotMarks(const std::string& imageFile,
                             ORLAProtocol7TypeDefs::BallotMarks& marks) {
    using Entry = std::int16_t (*)(const char*, ORLAProtocol7TypeDefs::BallotMarks*);
    static const auto entry = reinterpret_cast<Entry>(Library().EntryPoint("ReadBallotMarks"));
    return entry(imageFile.c_str(), &marks);
}

}  // namespace LHDLLInterface
