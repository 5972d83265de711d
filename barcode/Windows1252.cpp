#include "Windows1252.h"

namespace fernlowe {

std::string Windows1252FromUtf16(std::u16string_view text) {
    std::string codes(text.size(), '\0');
    WriteWindows1252(text, codes.data());
    return codes;
}

std::u16string Utf16FromWindows1252(std::string_view codes) {
    std::u16string text(codes.size(), u'\0');
    WriteUtf16(codes, text.data());
    return text;
}

std::string UpperCase(std::string_view codes) {
    std::string upper(codes.size(), '\0');
    for (std::size_t i = 0; i < codes.size(); ++i) {
        upper[i] = UpperCaseCode(codes[i]);
    }
    return upper;
}

}  // namespace fernlowe
