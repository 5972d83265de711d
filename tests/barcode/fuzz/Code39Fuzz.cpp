#include "C.h"
#include "FuzzInput.h"
#include "Symbol.h"
#include "Windows1252.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzInput input(bytes, size);
    const std::int16_t checkdigit = input.Int16();
    const std::u16string delim = input.Text(input.Int16() & 7);
    const std::u16string yourdata = input.Text();

    const std::u16string before = yourdata;
    const std::u16string result = fernlowe::C().ode39(yourdata, checkdigit, delim);
    FUZZ_CHECK(yourdata == before);
    if (checkdigit != 0 && checkdigit != 1) {
        FUZZ_CHECK(result.empty());
        return 0;
    }
    const std::size_t length = 2 * delim.size() + yourdata.size();
    FUZZ_CHECK(result.size() == length || (checkdigit == 1 && result.size() == length + 1));
    const std::string codes = fernlowe::Windows1252FromUtf16(result);
    const std::string ends = fernlowe::Windows1252FromUtf16(delim);
    FUZZ_CHECK(codes.starts_with(ends) && codes.ends_with(ends));
    try {
        fernlowe::draw::DrawCode39(codes, ends);
    } catch (const std::invalid_argument&) {
        // characters the font has no pattern for
    }
    return 0;
}
