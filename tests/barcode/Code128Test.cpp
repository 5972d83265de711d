#include <gtest/gtest.h>

#include "C.h"
#include "Codes.h"

namespace {

std::vector<int> Repeat(int code, int count) {
    return std::vector<int>(count, code);
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(Code128, Results) {
    const struct {
        std::vector<int> data;
        std::int16_t format;
        std::vector<int> result;
    } cases[] = {
        {AsciiCodes("ABC"), 1, {136, 65, 66, 67, 33, 138}},
        {AsciiCodes("A B"), 1, {136, 65, 192, 66, 65, 138}},
        {AsciiCodes("1234"), 2, {137, 44, 66, 114, 138}},
        {AsciiCodes("12345"), 2, {137, 44, 66, 37, 197, 138}},
        {AsciiCodes("00012345600000001"),
         3,
         {137, 134, 192, 33, 55, 77, 92, 192, 192, 192, 44, 112, 138}},
        {AsciiCodes("1234"), 4, {137, 134, 44, 66, 56, 138}},
        {{}, 2, {137, 34, 138}},
        {{}, 0, {135, 192, 138}},
        {{}, 3, {137, 134, 192, 33, 138}},  // the check digit 0 of no digits is packed as 00
        {{136, 65, 66, 67}, 7, {136, 65, 66, 67, 33, 138}},
        {{136, 65, 66, 67}, -1, {136, 65, 66, 67, 33, 138}},
        {AsciiCodes("abc"), 0, {135, 97, 98, 99, 121, 138}},  // set A takes lower case as is
        // Code128PackPairs: pieces that are not two digits follow NumericValue.
        {AsciiCodes("AB"), 2, {137, 192, 34, 138}},
        {AsciiCodes("-5"), 2, {137, 27, 200, 138}},
        {AsciiCodes(".5"), 2, {137, 192, 34, 138}},
        {AsciiCodes(".7"), 2, {137, 33, 35, 138}},
        {AsciiCodes("5"), 2, {137, 37, 193, 138}},
        {AsciiCodes("99"), 2, {137, 199, 201, 138}},
        // Code128RemapChars: 39, 96 and 127 to 133 move; 134 to 138 and codes from 192 stay.
        {{39, 96}, 1, {136, 193, 194, 65, 138}},
        {{127, 128}, 1, {136, 195, 196, 114, 138}},
        {{129, 130, 131, 132, 133}, 1, {136, 197, 198, 199, 200, 201, 86, 138}},
        {{136, 134, 192, 255}, 7, {136, 134, 192, 255, 94, 138}},
        // Control characters have negative values; the check value stays in 0 to 102.
        {{0}, 1, {136, 0, 104, 138}},
        {Repeat(0, 5), 7, Join(Repeat(0, 5), {92, 138})},
    };
    const fernlowe::C c;
    for (const auto& t : cases) {
        std::u16string yourdata = Text(t.data);
        const std::u16string result = c.ode128(yourdata, t.format);
        EXPECT_EQ(Codes(result), t.result)
            << Codes(Text(t.data)).size() << " codes, format " << t.format;
        // The caller's variable receives the symbol text without its stop character.
        EXPECT_EQ(yourdata, result.substr(0, result.size() - 1));
    }
}

TEST(Code128, Failures) {
    const struct {
        std::vector<int> data;
        std::int16_t format;
        int number;
        std::vector<int> yourdata_after;
    } cases[] = {
        {Repeat('0', 64), 1, 6, Join({136}, Repeat('0', 64))},
        {Repeat('~', 26), 1, 6, Join({136}, Repeat('~', 26))},
        {Repeat('~', 26), 0, 6, Join({135}, Repeat('~', 26))},
        {Repeat(0, 46), 7, 6, Repeat(0, 46)},  // far below -32768
        {{}, 5, 5, {}},
        {{}, -1, 5, {}},
        {{}, 32767, 5, {}},
    };
    const fernlowe::C c;
    for (const auto& t : cases) {
        std::u16string yourdata = Text(t.data);
        try {
            c.ode128(yourdata, t.format);
            ADD_FAILURE() << "no error for format " << t.format;
        } catch (const fernlowe::ReportFunctionError& e) {
            EXPECT_EQ(e.number(), t.number);
            EXPECT_STREQ(e.what(),
                         t.number == 6 ? "Overflow" : "Invalid procedure call or argument");
        }
        EXPECT_EQ(Codes(yourdata), t.yourdata_after);
    }
}

TEST(Code128, LongestTextsThatStillEncode) {
    const fernlowe::C c;
    std::u16string zeros = Text(Repeat('0', 63));
    EXPECT_EQ(c.ode128(zeros, 1).size(), 66u);
    std::u16string tildes = Text(Repeat('~', 25));
    EXPECT_EQ(c.ode128(tildes, 1).size(), 28u);
    std::u16string controls = Text(Repeat(0, 45));
    EXPECT_EQ(c.ode128(controls, 7).size(), 47u);
    // Spaces have value 0 and never raise the sum, however many there are.
    std::u16string spaces = Text(Repeat(' ', 100000));
    EXPECT_EQ(c.ode128(spaces, 1).size(), 100003u);
}
