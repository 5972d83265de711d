#include "BlankPage.h"

#include "InkCount.h"

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
        ForEachInkedBlock(page, top, 0, page.stride,
                          [&](int, int ink) { printed += ink >= kInkedBlockPixels ? 1 : 0; });
        if (printed >= kPrintedBlocks) {
            return false;
        }
    }
    return true;
}

}  // namespace lhdll
