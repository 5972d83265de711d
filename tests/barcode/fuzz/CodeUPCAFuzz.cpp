#include "C.h"
#include "FuzzInput.h"
#include "Symbol.h"
#include "Windows1252.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzInput input(bytes, size);
    const std::u16string yourdata = input.Text();

    const std::u16string before = yourdata;
    const std::u16string result = fernlowe::C().odeUPCA(yourdata);
    FUZZ_CHECK(yourdata == before);
    FUZZ_CHECK(result.size() == (yourdata.size() == 11 ? 17u : 0u));
    // Every character of the result is one the font prints.
    fernlowe::draw::DrawUpcEan(fernlowe::Windows1252FromUtf16(result));
    return 0;
}
