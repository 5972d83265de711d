#include "PageReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "BlankPage.h"
#include "BubbleGrid.h"
#include "CardCode.h"
#include "CardCodeFinder.h"
#include "TiffPages.h"

namespace lhdll {

ResultCode PageReader::Read(const char* path, BallotMarks& marks) {
    // Hosts reuse one record for many reads, so every read starts from a clean record.
    std::memset(&marks, 0, sizeof marks);
    TiffPages pages(path);
    if (!pages.IsOpen()) {
        return kCannotOpen;
    }
    // A sheet scanned on both sides is read from its first printed side, and is blank only
    // when every side is: a blank front never hides a ballot on the back.
    do {
        double scale = 1;
        if (!pages.Decode(page_, scale)) {
            return kDamagedImage;
        }
        if (!IsBlank(page_)) {
            return ReadPage(marks, scale);
        }
    } while (pages.Next());
    return kBlankSheet;
}

void PageReader::Clear() {
    page_ = Bitmap{};
    codeScratch_ = {};
}

ResultCode PageReader::ReadPage(BallotMarks& marks, double scale) {
    const CodeSighting sighting = FindCardCode(page_, scale, codeScratch_);
    if (sighting.outcome == CodeSighting::Outcome::kNotFound) {
        return kNoCardCode;
    }
    if (sighting.outcome == CodeSighting::Outcome::kDamaged) {
        return kDamagedCardCode;
    }
    const auto code = ParseCardCode(sighting.text);
    if (!code) {
        return kForeignCardCode;
    }
    if (!ORLAProtocol7TypeDefs::IsBallot(code->type)) {
        marks.CardType = code->type;
        marks.BatchNumber = code->batch;
    } else {
        const auto grid = ReadBubbleGrid(page_, scale);
        if (!grid) {
            return kNoBubbleGrid;
        }
        marks.CardType = code->type;
        for (std::size_t i = 0; i < grid->marked.size(); ++i) {
            marks.MarkData[i] = grid->marked[i];
        }
        marks.MarkCount = static_cast<std::uint8_t>(
            std::min<long>(255, std::count(grid->marked.begin(), grid->marked.end(), true)));
        marks.SkewTenths = static_cast<std::int16_t>(std::lround(grid->skewDegrees * 10));
    }
    std::memcpy(marks.CardCode, sighting.text.data(), sighting.text.size());
    return kRead;
}

}  // namespace lhdll
