#include <array>
#include <cstdint>
#include <string_view>

#include "C.h"
#include "EncodingHelpers.h"
#include "Windows1252.h"

namespace fernlowe {

namespace {

constexpr std::string_view kCode39Alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// The Code 39 value of every code, -1 for codes outside the alphabet.
constexpr auto kCode39Values = [] {
    std::array<int, 256> values{};
    values.fill(-1);
    for (std::size_t i = 0; i < kCode39Alphabet.size(); ++i) {
        values[static_cast<unsigned char>(kCode39Alphabet[i])] = static_cast<int>(i);
    }
    return values;
}();

}  // namespace

std::string C::Code39CheckChar(std::string_view text) {
    std::uint64_t sum = 0;  // 42 at most per character: no text is long enough to overflow it
    for (char c : text) {
        const int value = kCode39Values[static_cast<unsigned char>(c)];
        if (value < 0) {
            return {};
        }
        sum += static_cast<std::uint64_t>(value);
    }
    return std::string(1, kCode39Alphabet[sum % kCode39Alphabet.size()]);
}

std::u16string C::ode39(const std::u16string& yourdata, std::int16_t checkdigit,
                        const std::u16string& delim) const {
    if (checkdigit != 0 && checkdigit != 1) {
        return {};
    }
    Scratch scratch;
    // Room for the check character after the data.
    auto upper = scratch.Text(yourdata.size() + 1);
    for (std::size_t i = 0; i < yourdata.size(); ++i) {
        upper[i] = UpperCaseCode(Windows1252Code(yourdata[i]));
    }
    const std::string check =
        checkdigit == 1 ? Code39CheckChar(std::string_view(upper).substr(0, yourdata.size()))
                        : std::string();
    upper.resize(yourdata.size());
    upper += check;
    // The delimiters pass through the code page like the data.
    auto ends = scratch.Text(delim.size());
    WriteWindows1252(delim, ends.data());
    std::u16string result(2 * ends.size() + upper.size(), u'\0');
    WriteUtf16(ends, WriteUtf16(upper, WriteUtf16(ends, result.data())));
    return result;
}

}  // namespace fernlowe
