#include <gtest/gtest.h>

#include "scanning/ImageStatus.h"

namespace {

struct Reading {
    const char* what;
    qint16 result;
    qint16 cardType;
    qint32 index;  // of a batch whose ender card is image 9
    ImageClass expected;
};

const Reading kReadings[] = {
    {"opening header -6", 0, -6, 0, {9, 0, Tally::HeaderCard}},
    {"opening header -5", 0, -5, 0, {9, 0, Tally::HeaderCard}},
    {"opening header -4", 0, -4, 0, {9, 0, Tally::HeaderCard}},
    {"header inside", 0, -5, 4, {100, 0, Tally::HeaderCard}},
    {"header as last image", 0, -6, 9, {100, 0, Tally::HeaderCard}},
    {"closing ender", 0, -1, 9, {10, 0, Tally::EnderCard}},
    {"ender inside", 0, -1, 8, {110, 0, Tally::EnderCard}},
    {"ender as first image", 0, -1, 0, {110, 0, Tally::EnderCard}},
    {"ballot type 1", 0, 1, 3, {0, 0, Tally::Ballot}},
    {"ballot type 0", 0, 0, 3, {0, 0, Tally::Ballot}},
    {"ballot type -7", 0, -7, 3, {0, 0, Tally::Ballot}},
    {"ballot type 32767", 0, 32767, 3, {0, 0, Tally::Ballot}},
    {"ballot first", 0, 5, 0, {0, 0, Tally::Ballot}},
    {"card type -3", 0, -3, 3, {1, 0, Tally::Repair}},
    {"card type -2", 0, -2, 3, {1, 0, Tally::Repair}},
    {"card type -2 last", 0, -2, 9, {1, 0, Tally::Repair}},
    {"discarded 10", 10, 1, 3, {2, 10, Tally::Discarded}},
    {"discarded 20", 20, -1, 9, {2, 20, Tally::Discarded}},
    {"discarded 30", 30, -6, 0, {2, 30, Tally::Discarded}},
    {"discarded 40", 40, 0, 3, {2, 40, Tally::Discarded}},
    {"repair 220", 220, 1, 3, {1, 220, Tally::Repair}},
    {"repair 11", 11, 1, 3, {1, 11, Tally::Repair}},
    {"repair 101", 101, -1, 9, {1, 101, Tally::Repair}},
    {"repair negative", -1, 1, 3, {1, -1, Tally::Repair}},
};

TEST(ImageStatus, StatusErrorCodeAndTallyOfEveryKindOfReading) {
    for (const Reading& reading : kReadings) {
        const ImageClass found = ClassifyImage(reading.result, reading.cardType, reading.index, 9);
        EXPECT_EQ(found.Status, reading.expected.Status) << reading.what;
        EXPECT_EQ(found.ErrorCode, reading.expected.ErrorCode) << reading.what;
        EXPECT_EQ(found.CountedAs, reading.expected.CountedAs) << reading.what;
    }
}

}  // namespace
