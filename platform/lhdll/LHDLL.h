// The ballot-reading library's exported entry points. Their record and types are the shared
// binary interface in interfaces/reader; hosts bind the entry points by name.
#pragma once

#include <cstdint>

#include "reader/ORLAProtocol7TypeDefs.h"

#define LHDLL_EXPORT __attribute__((visibility("default")))

extern "C" {

// Clears the calling thread's page buffer, which its reads keep between calls.
LHDLL_EXPORT void ClearImageBuffer();

// Reads the TIFF file at path and fills marks; returns 0 or a result code of README.md.
LHDLL_EXPORT std::int16_t ReadBallotMarks(const char* path, BallotMarks* marks);

// 1: every thread reads with a page buffer of its own, so reads may run at once.
LHDLL_EXPORT std::int32_t ReadsConcurrently();
}
