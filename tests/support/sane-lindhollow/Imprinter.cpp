#include "Imprinter.h"

#include "font/DotFont.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

std::string imprintText(const std::string& endorserString, std::uint32_t counter) {
    std::string text;
    for (size_t i = 0; i < endorserString.size(); ++i) {
        const size_t u = endorserString.find("ud", i + 1);
        const bool placeholder =
            endorserString[i] == '%' && u != std::string::npos &&
            std::all_of(endorserString.begin() + long(i) + 1, endorserString.begin() + long(u),
                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
        if (!placeholder) {
            text += char(std::toupper(static_cast<unsigned char>(endorserString[i])));
            continue;
        }
        const std::string width = endorserString.substr(i + 1, u - i - 1);
        std::string digits = std::to_string(counter);
        if (!width.empty() && width[0] == '0' && size_t(std::atoi(width.c_str())) > digits.size())
            digits.insert(0, size_t(std::atoi(width.c_str())) - digits.size(), '0');
        text += digits;
        i = u + 1;
    }
    return text;
}

void printOnto(GrayImage& image, const std::string& text, const ImprintPlacement& placement) {
    const double pixelsPerMm = image.dpi / 25.4;
    const int columns = int(text.size()) * 6 - 1;
    const auto dot = [&](int column, int row) {
        if (placement.bottomToTop) {
            column = columns - 1 - column;
            row = 6 - row;
        }
        const double left = (ImprintPlacement::left + column * placement.dot) * pixelsPerMm;
        const double top = (placement.top + row * placement.dot) * pixelsPerMm;
        const double size = std::max(1.0, placement.dot * pixelsPerMm);
        for (int y = int(std::lround(top)); y < int(std::lround(top + size)); ++y)
            for (int x = int(std::lround(left)); x < int(std::lround(left + size)); ++x)
                if (x >= 0 && y >= 0 && x < image.width && y < image.height)
                    image.pixels[size_t(y) * image.width + x] = 0;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const DotGlyph* glyph = FindDotGlyph(text[i]);
        if (!glyph)
            continue;
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column)
                if ((*glyph)[row] & (0x10 >> column))
                    dot(int(i) * 6 + column, row);
    }
}
