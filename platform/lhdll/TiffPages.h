// The pages of one TIFF file, decoded one at a time into a 1-bit page.
#pragma once

#include <cstdarg>

#include "Bitmap.h"

typedef struct tiff TIFF;

namespace lhdll {

class TiffPages {
  public:
    // libtiff's complaints about a bad file stay inside: the result code reports them.
    explicit TiffPages(const char* path);
    ~TiffPages();
    TiffPages(const TiffPages&) = delete;
    TiffPages& operator=(const TiffPages&) = delete;

    bool IsOpen() const { return tiff_ != nullptr; }

    // Decodes the current page into page; scale becomes the page's resolution over 200 dpi.
    // False when the image data cannot be decoded.
    bool Decode(Bitmap& page, double& scale);

    // Moves to the next page; false when there is none.
    bool Next();

  private:
    static int Complain(TIFF*, void* pages, const char*, const char*, va_list);

    TIFF* tiff_ = nullptr;
    bool decoding_ = false;
    // libtiff's Group 4 decoder reports broken data as warnings and decodes on regardless.
    int decodingComplaints_ = 0;
};

}  // namespace lhdll
