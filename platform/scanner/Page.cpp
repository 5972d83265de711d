#include "scanner/Page.h"

int Page::bytesPerLine() const {
    switch (format) {
        case Format::Bilevel:
            return (width + 7) / 8;
        case Format::Gray:
            return width;
        case Format::Rgb:
            return width * 3;
    }
    return 0;
}

bool Page::isBlack(int x, int y) const {
    const std::uint8_t* line = pixels.data() + y * bytesPerLine();
    switch (format) {
        case Format::Bilevel:
            return line[x / 8] & (0x80 >> (x % 8));
        case Format::Gray:
            return line[x] == 0;
        case Format::Rgb:
            return line[3 * x] == 0 && line[3 * x + 1] == 0 && line[3 * x + 2] == 0;
    }
    return false;
}

void Page::setBlack(int x, int y) {
    std::uint8_t* line = pixels.data() + y * bytesPerLine();
    switch (format) {
        case Format::Bilevel:
            line[x / 8] |= 0x80 >> (x % 8);
            break;
        case Format::Gray:
            line[x] = 0;
            break;
        case Format::Rgb:
            line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = 0;
            break;
    }
}
