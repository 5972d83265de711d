#include "LHDLL.h"

#include <new>
#include <type_traits>

#include "PageReader.h"

namespace {

// A reader per thread: hosts that read a batch on several cores share no page buffer.
thread_local lhdll::PageReader reader;

// The exports keep the types that hosts bind them with.
static_assert(
    std::is_same_v<decltype(ClearImageBuffer), ORLAProtocol7TypeDefs::ClearImageBufferEntry>);
static_assert(
    std::is_same_v<decltype(ReadBallotMarks), ORLAProtocol7TypeDefs::ReadBallotMarksEntry>);
static_assert(
    std::is_same_v<decltype(ReadsConcurrently), ORLAProtocol7TypeDefs::ReadsConcurrentlyEntry>);

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

std::int32_t ReadsConcurrently() {
    return 1;
}
