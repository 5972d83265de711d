#include <gtest/gtest.h>

#include "C.h"
#include "Codes.h"

TEST(Code39, Results) {
    const struct {
        std::vector<int> data;
        std::int16_t checkdigit;
        std::vector<int> delim;
        std::vector<int> result;
    } cases[] = {
        {AsciiCodes("abc"), 1, {'*'}, AsciiCodes("*ABCX*")},
        {AsciiCodes("abc"), 0, {'*'}, AsciiCodes("*ABC*")},
        {{}, 1, {'*'}, AsciiCodes("*0*")},
        {{}, 0, {'*'}, AsciiCodes("**")},
        {AsciiCodes("a_b"), 1, {'*'}, AsciiCodes("*A_B*")},
        {AsciiCodes("a*b"), 1, {'*'}, AsciiCodes("*A*B*")},
        {AsciiCodes("a_b"), 0, {'*'}, AsciiCodes("*A_B*")},
        {AsciiCodes("abc"), 2, {'*'}, {}},
        {AsciiCodes("abc"), -1, {'*'}, {}},
        {AsciiCodes("abc"), 1, {}, AsciiCodes("ABCX")},
        {AsciiCodes("abc"), 0, {}, AsciiCodes("ABC")},
        {AsciiCodes("%%"), 1, AsciiCodes("!!"), AsciiCodes("!!%%+!!")},  // 84 modulo 43 = 41
        {AsciiCodes("code-39 $/+%."), 1, {'*'}, AsciiCodes("*CODE-39 $/+%.4*")},
        {{0xE9, 'x'}, 0, {'*'}, {'*', 0xC9, 'X', '*'}},
        {{0xE9}, 1, {'*'}, {'*', 0xC9, '*'}},
        {AsciiCodes("1"), 1, {0x87}, {0x87, '1', '1', 0x87}},
        // Longer than any field: 600 times 10 is 6000, 23 modulo 43, the letter N.
        {AsciiCodes(std::string(600, 'a')),
         1,
         {'*'},
         AsciiCodes("*" + std::string(600, 'A') + "N*")},
    };
    const fernlowe::C c;
    for (const auto& t : cases) {
        const std::u16string yourdata = Text(t.data);
        EXPECT_EQ(Codes(c.ode39(yourdata, t.checkdigit, Text(t.delim))), t.result)
            << Codes(yourdata).size() << " codes, checkdigit " << t.checkdigit;
    }
}

TEST(Code39, LeavesTheDataAndTurnsForeignCharactersIntoQuestionMarks) {
    const fernlowe::C c;
    const std::u16string yourdata = u"a\u0100";
    EXPECT_EQ(c.ode39(yourdata, 0, u"\u2603"), u"?A??");
    EXPECT_EQ(yourdata, u"a\u0100");
}
