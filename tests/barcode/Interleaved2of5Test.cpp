#include <gtest/gtest.h>

#include "C.h"
#include "Codes.h"

TEST(Interleaved2of5, Results) {
    const struct {
        std::string data;
        std::int16_t checkdigit;
        std::string result;
        std::string yourdata_after;
    } cases[] = {
        {"1234", 0, "<CBAADCCBAB>", "1234"},
        {"123", 0, "<BACCBBDAAC>", "0123"},
        {"123", 1, "<CBAADCDBAA>", "1236"},
        {"1234", 1, "<BACCBBDAACBACBC>", "012348"},
        {"123", 2, "<CBAADBBCCA>", "123"},
        {"123", -1, "<CBAADBBCCA>", "123"},
        {"", 0, "<>", ""},
        {"", 1, "<AADDA>", "00"},
        {"1099", 0, "<CABBCADADA>", "1099"},
        {"12-345", 0, "<errorBADAC>", "12-345"},  // -3 is negative
        {"12.534", 0, "<errorCCBAB>", "12.534"},  // .5 is a fraction
        {"12-3", 0, "<error>", "12-3"},
        {"-31234", 0, "<errorCBAADCCBAB>", "-31234"},
        {"5.", 2, "<BADCA>", "5."},  // 5. reads 5, encoded as 05
        {"AB", 0, "<AADDA>", "AB"},  // letters read 0
        {"7A", 0, "<AACDB>", "7A"},  // 7 then a letter reads 7
        {"1 ", 0, "<BACCB>", "1 "},
    };
    const fernlowe::C c;
    for (const auto& t : cases) {
        std::u16string yourdata = Ascii(t.data);
        EXPECT_EQ(Codes(c.odeITF(yourdata, t.checkdigit)), AsciiCodes(t.result))
            << t.data << " checkdigit " << t.checkdigit;
        EXPECT_EQ(yourdata, Ascii(t.yourdata_after)) << t.data << " checkdigit " << t.checkdigit;
    }
}

TEST(Interleaved2of5, TellingRowsOfThePairTable) {
    const struct {
        std::string pair;
        std::string pattern;
    } rows[] = {
        {"00", "AADDA"}, {"01", "BACCB"}, {"10", "CABBC"}, {"12", "CBAAD"},
        {"23", "BDAAC"}, {"36", "CDBAA"}, {"48", "BACBC"}, {"99", "ADADA"},
    };
    const fernlowe::C c;
    for (const auto& row : rows) {
        std::u16string yourdata = Ascii(row.pair);
        EXPECT_EQ(c.odeITF(yourdata, 0), Ascii("<" + row.pattern + ">")) << row.pair;
    }
}
