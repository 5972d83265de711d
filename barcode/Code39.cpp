#include <string_view>

#include "C.h"
#include "Windows1252.h"

namespace fernlowe {

namespace {

constexpr std::string_view kCode39Alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

}  // namespace

std::string C::Code39CheckChar(const std::string& text) {
    std::size_t sum = 0;
    for (char c : text) {
        const std::size_t value = kCode39Alphabet.find(c);
        if (value == std::string_view::npos) {
            return {};
        }
        sum = (sum + value) % kCode39Alphabet.size();
    }
    return std::string(1, kCode39Alphabet[sum]);
}

std::u16string C::ode39(const std::u16string& yourdata, std::int16_t checkdigit,
                        const std::u16string& delim) const {
    if (checkdigit != 0 && checkdigit != 1) {
        return {};
    }
    const std::string ends = Windows1252FromUtf16(delim);
    std::string upper = UpperCase(Windows1252FromUtf16(yourdata));
    if (checkdigit == 1) {
        upper += Code39CheckChar(upper);
    }
    return Utf16FromWindows1252(ends + upper + ends);
}

}  // namespace fernlowe
