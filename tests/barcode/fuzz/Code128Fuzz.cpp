#include "C.h"
#include "FuzzInput.h"
#include "Symbol.h"
#include "Windows1252.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzInput input(bytes, size);
    const std::int16_t format = input.Int16();
    std::u16string yourdata = input.Text();

    const bool empty = yourdata.empty();
    try {
        const std::u16string result = fernlowe::C().ode128(yourdata, format);
        FUZZ_CHECK(!result.empty() && result.back() == u'\u0160');  // the stop character
        FUZZ_CHECK(yourdata == result.substr(0, result.size() - 1));
        try {
            fernlowe::draw::DrawCode128(fernlowe::Windows1252FromUtf16(result));
        } catch (const std::invalid_argument&) {
            // data characters that are no Code 128 value
        }
    } catch (const fernlowe::ReportFunctionError& e) {
        FUZZ_CHECK(e.number() == 6 || (e.number() == 5 && empty && (format < 0 || format > 4)));
    }
    return 0;
}
