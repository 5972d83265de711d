#include "scanning/LHDLLInterface.h"

#include <cstdlib>

#include "scanning/LibraryBinding.h"

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
    static const auto entry = reinterpret_cast<ORLAProtocol7TypeDefs::ClearImageBufferEntry*>(
        Library().EntryPoint("ClearImageBuffer"));
    entry();
}

bool ReadsConcurrently() {
    static const auto entry = reinterpret_cast<ORLAProtocol7TypeDefs::ReadsConcurrentlyEntry*>(
        Library().OptionalEntryPoint("ReadsConcurrently"));
    return entry != nullptr && entry() != 0;
}

std::int16_t ReadBallotMarks(const std::string& imageFile,
                             ORLAProtocol7TypeDefs::BallotMarks& marks) {
    static const auto entry = reinterpret_cast<ORLAProtocol7TypeDefs::ReadBallotMarksEntry*>(
        Library().EntryPoint("ReadBallotMarks"));
    return entry(imageFile.c_str(), &marks);
}

}  // namespace LHDLLInterface
