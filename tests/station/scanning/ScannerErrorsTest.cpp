// Scanner errors and refused control writes during runs, page events and card scans.

#include <gtest/gtest.h>

#include <QPushButton>

#include "ScannerRunFixture.h"

namespace {

struct ErrorCase {
    qint16 number;
    const char* description;
    QList<ShownBox> boxes;
    bool clearsPaperPath;
};

const ShownBox kScannerError(const char* text) {
    return {QString::fromUtf8(text), QStringLiteral("Scanner Error"), Dialogs::Buttons::OK,
            Dialogs::Icon::Critical};
}

QList<ErrorCase> ErrorTable() {
    QList<ErrorCase> table;
    for (qint16 silent : {20001, 20012, 20013, 20016, 20018, 20180, 20088, 20096, 20099, 20124,
                          20125, 20156, 20168, 20172, 20174, 20205, 20444, 20447}) {
        table.append({silent, "Silent", {}, false});
    }
    table.append(
        {20025,
         "Feeder empty",
         {{QStringLiteral("Feeder Empty.  Add more pages to scan and click 'Start "
                          "Scanner' to continue."),
           QStringLiteral("Feeder Empty"), Dialogs::Buttons::OK, Dialogs::Icon::Exclamation}},
         false});
    table.append(
        {20122,
         "Double feed",
         {{QStringLiteral("Multi-Feed Detected!\r\nClear partially fed ballots from "
                          "feeder path.\r\nFan ballots and replace in feeder."),
           QStringLiteral("Multi-feed Error"), Dialogs::Buttons::OK, Dialogs::Icon::Exclamation},
          {QStringLiteral("Click 'Start Scanner' to continue."), QStringLiteral("Multi-feed Error"),
           Dialogs::Buttons::OK, Dialogs::Icon::None}},
         true});
    table.append({20026,
                  "Jammed",
                  {{QStringLiteral("Paper Jam Detected.  Remove jam and re-start scanner."),
                    QStringLiteral("Paper Jam"), Dialogs::Buttons::OK, Dialogs::Icon::Exclamation}},
                  false});
    table.append({20500, "Timeout", {kScannerError("Scanner Error 20500\r\nTimeout")}, false});
    table.append(
        {20086, "Folder gone", {kScannerError("Scanner Error 20086\r\nFolder gone")}, false});
    table.append({20100,
                  "Cannot write the page",
                  {kScannerError("Scanner Error 20100\r\nCannot write the page")},
                  false});
    return table;
}

class ScannerErrorDuringARun : public ScannerRunsTest,
                               public testing::WithParamInterface<ErrorCase> {};

TEST_P(ScannerErrorDuringARun, ShowsItsMessageAndStopsTheRun) {
    const ErrorCase& c = GetParam();
    Run(FakeEvent::page() + QList{FakeEvent::failure(c.number, QString::fromUtf8(c.description))});
    EXPECT_EQ(station_.dialogs.shown, c.boxes);
    QStringList expected;
    if (c.clearsPaperPath) {
        expected.append(QStringLiteral("KScan1 write 3 = 13 (32-bit)"));
    }
    expected.append(QStringLiteral("KScan1 write 86 = 0 (16-bit)"));
    EXPECT_EQ(CallsAfterStart().mid(3), expected);  // after the page's 96 and 97
    EXPECT_TRUE(window().cmdStartScanner->isEnabled());
    EXPECT_FALSE(window().cmdStopScanner->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), window().cmdStartScanner);
    EXPECT_EQ(station_.StationRow(), QStringLiteral("ONLINE/SCANNING"));
    EXPECT_EQ(Batch().ImageCounter, 2);
    EXPECT_EQ(
        station_.AuditTrail().mid(6),
        QStringList({R"(scanner-run-started {"batch":7,"endorser":false,"next_image":1})",
                     QStringLiteral(R"(scanner-error {"description":"%1","during":"run",)"
                                    R"("error":%2})")
                         .arg(QString::fromUtf8(c.description))
                         .arg(c.number),
                     R"(scanner-run-stopped {"batch":7,"cause":"scanner error","images":2})"}));
}

INSTANTIATE_TEST_SUITE_P(Errors, ScannerErrorDuringARun, testing::ValuesIn(ErrorTable()),
                         [](const testing::TestParamInfo<ErrorCase>& info) {
                             return std::to_string(info.param.number);
                         });

// A scanner control that refuses a write inside a button or event handler is reported as a
// scanner error; the station stands by and keeps running.
struct RefusalCase {
    const char* what;
    bool running;  // the refusal comes with Stop Scanner, in a run; else with Start Scanner
    qint16 number;
    const char* description;
    const char* shown;
};

class RefusedWrite : public ScannerRunsTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedWrite, IsReportedAndStandsBy) {
    const RefusalCase& c = GetParam();
    if (c.running) {
        window().cmdStartScanner->click();
    }
    station_.fakes.KScan1.raiseOnWrite(KScan::Action, c.number, QString::fromUtf8(c.description));
    (c.running ? window().cmdStopScanner : window().cmdStartScanner)->click();
    EXPECT_EQ(station_.dialogs.shown, QList<ShownBox>{kScannerError(c.shown)});
    EXPECT_TRUE(window().cmdStartScanner->isEnabled());
    EXPECT_FALSE(window().cmdStopScanner->isEnabled());
    EXPECT_EQ(station_.StationRow(), QStringLiteral("ONLINE/STANDING BY"));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, RefusedWrite,
    testing::Values(RefusalCase{"Starting", false, 20086, "Switched off",
                                "Scanner Error 20086\r\nSwitched off"},
                    RefusalCase{"Stopping", true, 20100, "Stuck", "Scanner Error 20100\r\nStuck"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.what; });

TEST_F(ScannerRunsTest, RefusedWriteInAPageEventIsReported) {
    station_.fakes.KScan1.raiseOnWrite(KScan::OutputFile, 20100, QStringLiteral("No such folder"));
    station_.fakes.KScan1.scriptRun(FakeEvent::page());
    window().cmdStartScanner->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !station_.dialogs.shown.isEmpty(); }, 30000));
    EXPECT_EQ(station_.dialogs.shown.front(),
              kScannerError("Scanner Error 20100\r\nNo such folder"));
    EXPECT_TRUE(window().isVisible());
}

// Pages a scanner still delivers after a full batch has stopped it have no entry to go to.
TEST_F(ScannerRunsTest, PageBeyondTheImageListIsReported) {
    Batch().ImageCounter = BatchImagesSize;
    emit station_.fakes.KScan1.event12();
    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    EXPECT_EQ(station_.dialogs.shown[0].title, QStringLiteral("Scanner Error"));
    EXPECT_TRUE(
        station_.dialogs.shown[0].text.startsWith(QStringLiteral("Scanner Error 20100\r\n")))
        << describe(station_.dialogs.shown[0]).toStdString();
    EXPECT_TRUE(window().isVisible());
}

TEST_F(ScannerRunsTest, ErrorDuringACardScanLeavesButtonsAndErrorCode) {
    Batch().ScanningHeader = true;
    window().cmdStartScanner->setEnabled(false);
    qint16 number = 20026;
    QString description = QStringLiteral("Jammed");
    window().KScan1_Event15(number, description);
    EXPECT_TRUE(Batch().HeaderPageDone);
    EXPECT_EQ(station_.dialogs.shown.size(), 1);
    EXPECT_TRUE(station_.fakes.calls().isEmpty());
    EXPECT_FALSE(window().cmdStartScanner->isEnabled());
}

}  // namespace
