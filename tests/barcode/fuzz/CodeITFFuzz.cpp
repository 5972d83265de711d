#include "C.h"
#include "FuzzInput.h"
#include "Symbol.h"
#include "Windows1252.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzInput input(bytes, size);
    const std::int16_t checkdigit = input.Int16();
    std::u16string yourdata = input.Text();

    const std::u16string result = fernlowe::C().odeITF(yourdata, checkdigit);
    FUZZ_CHECK(result.starts_with(u'<') && result.ends_with(u'>'));
    if (checkdigit == 0 || checkdigit == 1) {
        FUZZ_CHECK(yourdata.size() % 2 == 0);
    }
    if (result.find(u"error") == std::u16string::npos) {
        FUZZ_CHECK(result.size() == 2 + 5 * ((yourdata.size() + 1) / 2));
        fernlowe::draw::DrawInterleaved2of5(fernlowe::Windows1252FromUtf16(result));
    }
    return 0;
}
