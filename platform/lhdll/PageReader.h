// Reads one image file into a BallotMarks record, keeping its page buffers for the next read.
#pragma once

#include <cstdint>
#include <vector>

#include "Bitmap.h"
#include "LHDLL.h"
#include "ResultCode.h"

namespace lhdll {

class PageReader {
  public:
    ResultCode Read(const char* path, BallotMarks& marks);
    void Clear();

  private:
    ResultCode ReadPage(BallotMarks& marks, double scale);

    Bitmap page_;
    std::vector<std::uint8_t> codeScratch_;
};

}  // namespace lhdll
