#include "LHDLL.h"

#include <new>
#include <type_traits>

#include "PageReader.h"

namespace {

// Hosts call from one thread, one read at a time, as with the library this one stands in for.
lhdll::PageReader reader;

// The exports keep the types that hosts bind them with.
static_assert(
    std::is_same_v<decltype(ClearImageBuffer), ORLAProtocol7TypeDefs::ClearImageBufferEntry>);
static_assert(
    std::is_same_v<decltype(ReadBallotMarks), ORLAProtocol7TypeDefs::ReadBallotMarksEntry>);

}  // namespace

void ClearImageBuffer() {
    reader.Clear();
}

std::int16_t ReadBallotMarks(const char* path, BallotMarks* marks) {
    if (path == nullptr || marks == nullptr) {
        return lhdll::kNoPathOrRecord;
    }
    // No exception may cross into a C caller.
    try {
        return reader.Read(path, *marks);
    } catch (const std::bad_alloc&) {
        return lhdll::kOutOfMemory;
    }
}
