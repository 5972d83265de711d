#include <gtest/gtest.h>

#include "C.h"
#include "Codes.h"

TEST(UpcA, Results) {
    const struct {
        std::string data;
        std::vector<int> result;
    } cases[] = {
        {"03600029145", {117, 60, 48, 36, 39, 33, 33, 33, 61, 99, 106, 98, 101, 102, 67, 60, 119}},
        {"0360002914A", {117, 60, 48, 36, 39, 33, 33, 33, 61, 99, 106, 98, 101, 97, 72, 60, 124}},
        {"98765432109", {126, 60, 57, 41, 40, 39, 38, 37, 61, 100, 99, 98, 97, 106, 73, 60, 125}},
        {"0360002914", {}},
        {"036000291452", {}},
        {"", {}},
    };
    const fernlowe::C c;
    for (const auto& t : cases) {
        const std::u16string yourdata = Ascii(t.data);
        EXPECT_EQ(Codes(c.odeUPCA(yourdata)), t.result) << t.data;
        EXPECT_EQ(yourdata, Ascii(t.data));
    }
}

TEST(Ean13, Results) {
    const std::vector<int> ean13 = {121, 60,  33,  107, 39,  36,  115, 108,
                                    61,  100, 100, 100, 106, 100, 98,  60};
    const struct {
        std::string data;
        std::vector<int> result;
    } cases[] = {
        {"400638133393", ean13},
        {"4006381333931", ean13},  // the thirteenth digit is ignored
        {"4006381333935", ean13},
        {"", {117, 60, 33, 33, 33, 33, 33, 33, 61, 97, 97, 97, 97, 97, 97, 60}},
        {"4A", {121, 60, 33, 107, 33, 33, 107, 107, 61, 97, 97, 97, 97, 97, 103, 60}},
    };
    const fernlowe::C c;
    for (const auto& t : cases) {
        const std::u16string yourdata = Ascii(t.data);
        EXPECT_EQ(Codes(c.odeEAN13(yourdata)), t.result) << t.data;
        EXPECT_EQ(yourdata, Ascii(t.data));
    }
}

TEST(Ean13, ParityOfTheLeftHalfByFirstDigit) {
    const std::string patterns[] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                    "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
    const fernlowe::C c;
    for (int first = 0; first < 10; ++first) {
        // Zeros after the first digit: set A writes them as 33, set B as 107.
        const std::vector<int> codes =
            Codes(c.odeEAN13(Ascii(std::to_string(first) + "00000000000")));
        ASSERT_EQ(codes.size(), 16u);
        std::string parity;
        for (int k = 2; k < 8; ++k) {
            parity += codes[k] == 33 ? 'A' : codes[k] == 107 ? 'B' : '?';
        }
        EXPECT_EQ(parity, patterns[first]) << first;
        EXPECT_EQ(codes[0], 117 + first);
    }
}

TEST(Ean8, Results) {
    const struct {
        std::string data;
        std::vector<int> result;
    } cases[] = {
        {"9638507", {60, 42, 39, 36, 41, 61, 102, 97, 104, 101, 60}},
        {"96385071", {60, 42, 39, 36, 41, 61, 102, 97, 104, 101, 60}},
        {"", {60, 33, 33, 33, 33, 61, 97, 97, 97, 97, 60}},
        {"1", {60, 34, 33, 33, 33, 61, 97, 97, 97, 104, 60}},
        {"x-.5", {60, 33, 33, 33, 38, 61, 97, 97, 97, 102, 60}},
    };
    const fernlowe::C c;
    for (const auto& t : cases) {
        const std::u16string yourdata = Ascii(t.data);
        EXPECT_EQ(Codes(c.odeEAN8(yourdata)), t.result) << t.data;
        EXPECT_EQ(yourdata, Ascii(t.data));
    }
}
