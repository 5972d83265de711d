#include "LHDLL.h"

#include <new>

#include "PageReader.h"

namespace {

// Hosts call from one thread, one read at a time, as with the library this one stands in for.
lhdll::PageReader reader;

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
