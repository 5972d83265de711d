#include "BlankPage.h"

#include <bit>

namespace lhdll {
namespace {

// An 8x8 block at least half inked is print, never speckle: scattered specks and dust do not
// fill half a block. A page with fewer such blocks than a pencil tick makes is blank.
constexpr int kInkedBlockPixels = 32;
constexpr int kPrintedBlocks = 8;

}  // namespace

bool IsBlank(const Bitmap& page) {
    int printed = 0;
    for (int top = 0; top + 8 <= page.height; top += 8) {
        for (int column = 0; column < page.stride; ++column) {
            int ink = 0;
            for (int y = top; y < top + 8; ++y) {
                ink += std::popcount(page.Row(y)[column]);
            }
            if (ink >= kInkedBlockPixels && ++printed >= kPrintedBlocks) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace lhdll
