#include "TiffToPng.h"

#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// libtiff's largest single allocation: a strip of the largest grey sheet, never gigabytes.
constexpr tmsize_t kMostTiffAllocation = 128 << 20;
// The pixels of one band of rows that libtiff's RGBA reader decodes at once.
constexpr std::uint32_t kMostBandPixels = 16 << 20;
constexpr std::uint32_t kLeastBandRows = 64;

// The file's bytes, which libtiff reads through these procedures or maps as they are.
struct MemoryFile {
    std::string_view bytes;
    toff_t at = 0;
};

tmsize_t ReadMemory(thandle_t handle, void* buffer, tmsize_t size) {
    auto* file = static_cast<MemoryFile*>(handle);
    if (size <= 0 || file->at >= file->bytes.size()) {
        return 0;
    }
    const auto count = static_cast<tmsize_t>(
        std::min<toff_t>(file->bytes.size() - file->at, static_cast<toff_t>(size)));
    std::memcpy(buffer, file->bytes.data() + file->at, static_cast<std::size_t>(count));
    file->at += static_cast<toff_t>(count);
    return count;
}

tmsize_t WriteMemory(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t SeekMemory(thandle_t handle, toff_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(handle);
    const toff_t base = whence == SEEK_CUR ? file->at : whence == SEEK_END ? file->bytes.size() : 0;
    // Offsets from the current place or the end come as unsigned numbers of signed meaning.
    const auto target = static_cast<std::int64_t>(base) + static_cast<std::int64_t>(offset);
    if (target < 0) {
        return static_cast<toff_t>(-1);
    }
    file->at = static_cast<toff_t>(target);
    return file->at;
}

int CloseMemory(thandle_t) {
    return 0;
}

toff_t SizeOfMemory(thandle_t handle) {
    return static_cast<MemoryFile*>(handle)->bytes.size();
}

int MapMemory(thandle_t handle, void** base, toff_t* size) {
    const auto* file = static_cast<MemoryFile*>(handle);
    *base = const_cast<char*>(file->bytes.data());
    *size = file->bytes.size();
    return 1;
}

void UnmapMemory(thandle_t, void*, toff_t) {}

// libtiff's first complaint about the file, which names its fault best.
int KeepError(TIFF*, void* error, const char*, const char* format, va_list args) {
    auto* text = static_cast<std::string*>(error);
    if (text->empty()) {
        char line[256];
        std::vsnprintf(line, sizeof line, format, args);
        *text = line;
    }
    return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct Page {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // One bit a pixel in strips: read line by line; anything else goes through the RGBA reader.
    bool bilevel = false;
    bool zeroIsWhite = false;
};

// The pages of a TIFF file, row by row, in the PNG's layout: 1-bit grey (1 white) when every
// page is bilevel, else 8-bit RGB; narrower pages padded with white paper.
class SheetRows {
  public:
    explicit SheetRows(std::string_view bytes) : file_{bytes} {
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, &error_);
        TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreWarning, nullptr);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMostTiffAllocation);
        tiff_.reset(TIFFClientOpenExt("image", "r", &file_, ReadMemory, WriteMemory, SeekMemory,
                                      CloseMemory, SizeOfMemory, MapMemory, UnmapMemory, options));
        TIFFOpenOptionsFree(options);
        if (!tiff_) {
            Fail("not a TIFF image");
        }
        ReadPages();
        StartPage();
    }
    ~SheetRows() {
        if (rgbaOpen_) {
            TIFFRGBAImageEnd(&rgba_);
        }
    }
    SheetRows(const SheetRows&) = delete;
    SheetRows& operator=(const SheetRows&) = delete;

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    bool Bilevel() const { return bilevel_; }
    std::size_t RowBytes() const { return bilevel_ ? (width_ + 7) / 8 : std::size_t(width_) * 3; }

    // The next row; throws ImageError when its data cannot be decoded.
    void Next(std::vector<std::uint8_t>& row) {
        const Page& page = pages_[page_];
        std::fill(row.begin(), row.end(), 0xFF);
        if (page.bilevel) {
            if (TIFFReadScanline(tiff_.get(), line_.data(), y_, 0) < 0) {
                Fail("the image data cannot be decoded");
            }
            for (std::uint32_t x = 0; x < page.width; ++x) {
                const bool bit = (line_[x / 8] >> (7 - x % 8)) & 1;
                if (bit != page.zeroIsWhite) {
                    continue;  // paper
                }
                if (bilevel_) {
                    row[x / 8] &= static_cast<std::uint8_t>(~(0x80 >> (x % 8)));
                } else {
                    std::fill_n(row.begin() + x * 3, 3, 0);
                }
            }
        } else {
            if (y_ == bandTop_ + bandRows_) {
                ReadBand(page);
            }
            const std::uint32_t* pixel = band_.data() + std::size_t(y_ - bandTop_) * page.width;
            for (std::uint32_t x = 0; x < page.width; ++x, ++pixel) {
                row[x * 3] = static_cast<std::uint8_t>(TIFFGetR(*pixel));
                row[x * 3 + 1] = static_cast<std::uint8_t>(TIFFGetG(*pixel));
                row[x * 3 + 2] = static_cast<std::uint8_t>(TIFFGetB(*pixel));
            }
        }
        if (++y_ == page.height && page_ + 1 < pages_.size()) {
            ++page_;
            StartPage();
        }
    }

  private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw ImageError(error_.empty() ? what : what + ": " + error_);
    }

    void ReadPages() {
        for (;;) {
            Page page;
            std::uint16_t bits = 1;
            std::uint16_t samples = 1;
            std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
            if (TIFFGetField(tiff_.get(), TIFFTAG_IMAGEWIDTH, &page.width) != 1 ||
                TIFFGetField(tiff_.get(), TIFFTAG_IMAGELENGTH, &page.height) != 1 ||
                page.width == 0 || page.height == 0) {
                Fail("a page has no pixels");
            }
            if (page.width > kMostSheetSide || page.height > kMostSheetSide) {
                Fail("a page of " + std::to_string(page.width) + " x " +
                     std::to_string(page.height) + " pixels is larger than any sheet");
            }
            TIFFGetFieldDefaulted(tiff_.get(), TIFFTAG_BITSPERSAMPLE, &bits);
            TIFFGetFieldDefaulted(tiff_.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
            TIFFGetField(tiff_.get(), TIFFTAG_PHOTOMETRIC, &photometric);
            const bool grey =
                photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK;
            page.bilevel = bits == 1 && samples == 1 && grey && !TIFFIsTiled(tiff_.get());
            page.zeroIsWhite = photometric == PHOTOMETRIC_MINISWHITE;
            pages_.push_back(page);
            width_ = std::max(width_, page.width);
            height_ += page.height;
            bilevel_ = bilevel_ && page.bilevel;
            if (TIFFLastDirectory(tiff_.get())) {
                break;
            }
            if (pages_.size() == kMostSheetPages) {
                Fail("more pages than a sheet has");
            }
            if (TIFFReadDirectory(tiff_.get()) != 1) {
                Fail("a page cannot be read");
            }
        }
        if (std::uint64_t(width_) * height_ > kMostSheetPixels) {
            Fail("the pages are larger than any sheet");
        }
    }

    void StartPage() {
        if (rgbaOpen_) {
            TIFFRGBAImageEnd(&rgba_);
            rgbaOpen_ = false;
        }
        if (TIFFSetDirectory(tiff_.get(), static_cast<tdir_t>(page_)) != 1) {
            Fail("a page cannot be read");
        }
        const Page& page = pages_[page_];
        y_ = 0;
        if (page.bilevel) {
            const tmsize_t lineBytes = TIFFScanlineSize(tiff_.get());
            if (lineBytes < tmsize_t((page.width + 7) / 8)) {
                Fail("the page's rows are shorter than its width");
            }
            line_.assign(std::size_t(lineBytes), 0);
            return;
        }
        char message[1024] = "";
        if (TIFFRGBAImageOK(tiff_.get(), message) != 1 ||
            TIFFRGBAImageBegin(&rgba_, tiff_.get(), 1, message) != 1) {
            Fail(std::string("the page cannot be decoded: ") + message);
        }
        rgbaOpen_ = true;
        rgba_.req_orientation = ORIENTATION_TOPLEFT;
        // A band spans whole strips where it can: each band decodes every strip it touches.
        std::uint32_t rowsPerStrip = 0;
        TIFFGetFieldDefaulted(tiff_.get(), TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        bandRows_ = 0;
        bandTop_ = 0;
        bandHeight_ = std::clamp(rowsPerStrip, kLeastBandRows, kMostBandPixels / page.width);
        band_.assign(std::size_t(page.width) * std::min(bandHeight_, page.height), 0);
    }

    void ReadBand(const Page& page) {
        bandTop_ = y_;
        bandRows_ = std::min(bandHeight_, page.height - y_);
        rgba_.row_offset = static_cast<int>(bandTop_);
        rgba_.col_offset = 0;
        if (TIFFRGBAImageGet(&rgba_, band_.data(), page.width, bandRows_) != 1) {
            Fail("the image data cannot be decoded");
        }
    }

    MemoryFile file_;
    std::string error_;
    std::unique_ptr<TIFF, decltype(&TIFFClose)> tiff_{nullptr, TIFFClose};
    std::vector<Page> pages_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    bool bilevel_ = true;
    std::size_t page_ = 0;
    std::uint32_t y_ = 0;  // the next row of the current page
    std::vector<std::uint8_t> line_;
    TIFFRGBAImage rgba_{};
    bool rgbaOpen_ = false;
    std::vector<std::uint32_t> band_;
    std::uint32_t bandHeight_ = 0;
    std::uint32_t bandTop_ = 0;
    std::uint32_t bandRows_ = 0;
};

void AppendPng(png_structp png, png_bytep data, png_size_t size) {
    auto* bytes = static_cast<std::string*>(png_get_io_ptr(png));
    if (bytes->size() + size > kMostPngBytes) {
        png_error(png, "the PNG would be larger than any sheet's");
    }
    bytes->append(reinterpret_cast<const char*>(data), size);
}

void KeepPngError(png_structp png, png_const_charp message) {
    *static_cast<std::string*>(png_get_error_ptr(png)) = message;
    png_longjmp(png, 1);
}

void IgnorePngWarning(png_structp, png_const_charp) {}

struct PngWriter {
    explicit PngWriter(std::string* error)
        : png(png_create_write_struct(PNG_LIBPNG_VER_STRING, error, KeepPngError,
                                      IgnorePngWarning)),
          info(png ? png_create_info_struct(png) : nullptr) {
        if (info == nullptr) {
            png_destroy_write_struct(&png, nullptr);
            throw std::bad_alloc();
        }
    }
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    png_structp png;
    png_infop info;
};

}  // namespace

std::string TiffToPng(std::string_view tiff) {
    SheetRows sheet(tiff);
    std::vector<std::uint8_t> row(sheet.RowBytes());
    std::string png;
    std::string error;
    PngWriter writer(&error);
    // libpng reports its failures by jumping back here; everything it could leave half done
    // was made before.
    if (setjmp(png_jmpbuf(writer.png))) {
        throw ImageError(error);
    }
    png_set_write_fn(writer.png, &png, AppendPng, nullptr);
    png_set_IHDR(writer.png, writer.info, sheet.Width(), sheet.Height(), sheet.Bilevel() ? 1 : 8,
                 sheet.Bilevel() ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer.png, writer.info);
    for (std::uint32_t y = 0; y < sheet.Height(); ++y) {
        sheet.Next(row);
        png_write_row(writer.png, row.data());
    }
    png_write_end(writer.png, nullptr);
    return png;
}
