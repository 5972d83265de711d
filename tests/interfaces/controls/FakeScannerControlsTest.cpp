#include "controls/ControlError.h"
#include "controls/ControlSequences.h"
#include "support/FakeScannerControls.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Records events as texts and, during event 12, names the output file as the station does.
struct Events {
    Events(FakeKScan& scanner, const QString& file = {}) {
        QObject::connect(&scanner, &KScan::event10, [this] { texts << "10"; });
        QObject::connect(&scanner, &KScan::event11, [this] { texts << "11"; });
        QObject::connect(&scanner, &KScan::event12, [this, &scanner, file] {
            texts << QStringLiteral("12 %1").arg(valueText(scanner.read(KScan::MorePages)));
            if (!file.isEmpty())
                scanner.write(KScan::OutputFile, file);
        });
        QObject::connect(&scanner, &KScan::event14, [this](qint32, qint32) { texts << "14"; });
        QObject::connect(&scanner, &KScan::event15, [this](qint16& number, QString& description) {
            texts << QStringLiteral("15 %1 %2").arg(number).arg(description);
        });
    }
    bool waitForCount(int count) {
        return QTest::qWaitFor([&] { return texts.size() >= count; }, 30000);
    }
    QStringList texts;
};

// The start-up sequence that the station writes, with the numbers and types of the controls.
TEST(FakeScannerControls, RecordsTheStartUpWritesInOrderWithTheirTypes) {
    FakeScannerControls c;
    InitialiseScannerControls(c.KScan1, c.KImgp1, QStringLiteral("/etc/station/scanner.ini"));
    EXPECT_EQ(c.calls(), QStringList({
                             R"(KScan1 write 112 = "8000" (text))",
                             "KScan1 write 3 = 3 (32-bit)",
                             "KScan1 write 8 = 0 (32-bit)",
                             "KScan1 write 3 = 1 (32-bit)",
                             R"(KScan1 write 79 = "/etc/station/scanner.ini" (text))",
                             R"(KScan1 write 80 = "KSCAN" (text))",
                             "KScan1 write 3 = 8 (32-bit)",
                             "KScan1 write 84 = object (object)",
                             R"(KImgp1 write 7 = "/etc/station/scanner.ini" (text))",
                             R"(KImgp1 write 8 = "KImgp" (text))",
                             "KImgp1 write 2 = 2 (32-bit)",
                         }));
    EXPECT_EQ(std::get<KImgp*>(c.log[7].value), &c.KImgp1);
}

TEST(FakeScannerControls, RecordsReadsAndStartsWithTypedNeutralValues) {
    FakeScannerControls c;
    c.KImgp1.setValue(KImgp::EndorserFitted, true);
    c.KScan1.read(KScan::ErrorCode);
    c.KScan1.read(KScan::OutputFile);
    c.KScan1.read(KScan::MorePages);
    c.KScan1.read(KScan::Feeding);
    c.KImgp1.read(KImgp::EndorserFitted);
    c.KImgp1.read(KImgp::EndorserReady);
    EXPECT_EQ(
        c.calls(),
        QStringList({"KScan1 read 86 -> 0 (16-bit)", R"(KScan1 read 96 -> "" (text))",
                     "KScan1 read 97 -> False (Boolean)", "KScan1 read 67 -> False (Boolean)",
                     "KImgp1 read 45 -> True (Boolean)", "KImgp1 read 138 -> False (Boolean)"}));
    EXPECT_THROW(c.KScan1.read(KScan::PageLength), ControlError);  // never written
    c.KScan1.write(KScan::PageLength, KScan::Length11Inches);
    EXPECT_EQ(std::get<qint32>(c.KScan1.read(KScan::PageLength)), 128);
}

TEST(FakeScannerControls, ScriptedErrorIsRaisedOnceByItsWrite) {
    FakeScannerControls c;
    c.KScan1.raiseOnWrite(KScan::Action, 20086, QStringLiteral("Scanner is off"));
    try {
        c.KScan1.write(KScan::Action, KScan::CloseDevice);
        FAIL() << "no error raised";
    } catch (const ControlError& error) {
        EXPECT_EQ(error.number(), 20086);
        EXPECT_EQ(error.description(), "Scanner is off");
    }
    EXPECT_NO_THROW(
        InitialiseScannerControls(c.KScan1, c.KImgp1, QStringLiteral("k.ini")));  // Retry
    EXPECT_EQ(c.log.size(), 12);  // the refused write is in the log too
}

TEST(FakeScannerControls, ScriptedRunArrivesThroughTheEventLoopAfterTheWrite) {
    QTemporaryDir dir;
    const QString card = dir.filePath("card.tif"), header = dir.filePath("HEADER.tif");
    QFile source(card);
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write("card image");
    source.close();
    FakeScannerControls c;
    QList<FakeEvent> run{{10}};
    run << FakeEvent::page({}, true) << FakeEvent::page(card)
        << FakeEvent::failure(20025, "Feeder empty");
    c.KScan1.scriptRun(run);
    Events events(c.KScan1, header);

    c.KScan1.write(KScan::Action, KScan::StartFeeding);
    EXPECT_TRUE(events.texts.isEmpty());
    ASSERT_TRUE(events.waitForCount(8));

    EXPECT_EQ(events.texts, QStringList({"10", "11", "12 True", "14", "11", "12 False", "14",
                                         "15 20025 Feeder empty"}));
    EXPECT_EQ(std::get<qint16>(c.KScan1.read(KScan::ErrorCode)), 20025);
    EXPECT_EQ(c.KScan1.pagesWritten(), QStringList({header, header}));
    QFile written(header);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "card image");
}

// Stop written inside an event of the run's first page: the page is finished, no other is fed.
struct StopCase {
    const char* what;
    int during;             // event 12 or 14
    QList<FakeEvent> rest;  // of the run after its first page
};

class FakeStop : public testing::TestWithParam<StopCase> {};

TEST_P(FakeStop, FinishesThePageAndDropsTheRestOfTheRun) {
    FakeScannerControls c;
    c.KScan1.scriptRun(QList<FakeEvent>{{10}} + FakeEvent::page() + GetParam().rest);
    Events events(c.KScan1);
    const auto stop = [&] { c.KScan1.write(KScan::Action, KScan::StopFeeding); };
    if (GetParam().during == 12) {
        QObject::connect(&c.KScan1, &KScan::event12, stop);
    } else {
        QObject::connect(&c.KScan1, &KScan::event14, stop);
    }

    c.KScan1.write(KScan::Action, KScan::StartFeeding);
    ASSERT_TRUE(events.waitForCount(4));
    QCoreApplication::processEvents();
    EXPECT_EQ(events.texts, QStringList({"10", "11", "12 False", "14"}));
}

INSTANTIATE_TEST_SUITE_P(
    Stops, FakeStop,
    testing::Values(StopCase{"PageDone", 14,
                             FakeEvent::page() + QList{FakeEvent::failure(20025, "Feeder empty")}},
                    StopCase{"PageEnd", 12, FakeEvent::page()}),
    [](const testing::TestParamInfo<StopCase>& info) { return info.param.what; });

TEST(PropertyValue, NamesTypesAndValues) {
    struct Case {
        PropertyValue value;
        const char* type;
        const char* text;
    };
    const Case cases[] = {{qint16(0), "16-bit", "0"},
                          {qint32(4194304), "32-bit", "4194304"},
                          {QStringLiteral("KSCAN"), "text", R"("KSCAN")"},
                          {true, "Boolean", "True"},
                          {false, "Boolean", "False"},
                          {static_cast<KImgp*>(nullptr), "object", "object"}};
    for (const Case& c : cases) {
        EXPECT_EQ(typeName(c.value), c.type);
        EXPECT_EQ(valueText(c.value), c.text);
    }
}

}  // namespace
