// The scanner runs of an open batch on the recording scanner fakes: the station of the run tests.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "images/ImageNames.h"
#include "support/TestStation.h"

class ScannerRunsTest : public testing::Test {
  protected:
    void SetUp() override {
        station_.Start();
        station_.OpenBatch(7);
        window().show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window(), 30000));
        station_.fakes.log.clear();
    }

    VrelScan& window() { return *station_.window; }
    BatchState& Batch() { return station_.Batch(); }
    // 0 optFirst ... 3 OptFourth.
    void ChooseEndorserPosition(int option) {
        const QList<QRadioButton*> options = {window().optFirst, window().optSecond,
                                              window().optThird, window().OptFourth};
        options[option]->setChecked(true);
    }
    QString File(qint32 sequence) {
        return ImageFile(Batch().BatchFolder, ImageSerial(3, 7, sequence));
    }
    // Starts a scripted run and waits until its events are all handled.
    void Run(const QList<FakeEvent>& events) {
        station_.fakes.KScan1.scriptRun(events);
        window().cmdStartScanner->click();
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return !window().cmdStopScanner->isEnabled(); }, 30000));
        QApplication::processEvents();
    }
    QStringList CallsAfterStart() {
        const QStringList calls = station_.fakes.calls();
        const qsizetype start = calls.indexOf(QStringLiteral("KScan1 write 3 = 4 (32-bit)"));
        return start < 0 ? QStringList() : calls.mid(start + 1);
    }

    TestStation station_;
};
