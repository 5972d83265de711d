// The batch-cycle tests on the recording scanner fakes, with a ballot-reading library that reports
// scripted results: a station on SQLite or on MariaDB, "images" that say what their reading is,
// and the operator's steps.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTextStream>
#include <cstdlib>

#include "support/TestStation.h"

// Bound on the first read, before any test reads.
inline const bool kScriptedReader = setenv("LINDHOLLOW_LHDLL", SCRIPTED_READER, 1) == 0;

using Answer = Dialogs::Answer;

class ScriptedBatchCycle : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(kScriptedReader);
        station = std::make_unique<TestStation>(GetParam(), TestStation::Scanner::Fake);
        readerLog = station->home.filePath(QStringLiteral("reader.log"));
        setenv("LINDHOLLOW_READER_LOG", QFile::encodeName(readerLog).constData(), 1);
        station->Start();
    }
    void TearDown() override {
        unsetenv("LINDHOLLOW_READER_LOG");
        station.reset();
    }

    VrelScan& Window() { return *station->window; }
    BatchState& Batch() { return station->Batch(); }

    // An "image" whose reading the scripted library reports: "<result> <card type> [<batch>]".
    QString Sheet(const QString& reading) {
        const QString path = station->home.filePath(QStringLiteral("sheet-%1.txt").arg(++sheets_));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        QTextStream(&file) << reading;
        return path;
    }

    // One card through the card slot.
    void ScriptCard(const QString& reading) {
        station->fakes.KScan1.scriptRun(FakeEvent::page(Sheet(reading)));
    }

    // Start Batch with a header card of batch 7, then one run of the given readings.
    void OpenAndScan(const QStringList& readings) {
        ScriptCard(QStringLiteral("0 -6 7"));
        Window().cmdStartBatch_Click();
        ASSERT_EQ(Batch().CurrentBatch, 7);
        QList<FakeEvent> run;
        for (const QString& reading : readings) {
            run += FakeEvent::page(Sheet(reading));
        }
        run += FakeEvent::failure(20025, QStringLiteral("Feeder empty"));
        station->fakes.KScan1.scriptRun(run);
        Window().cmdStartScanner_Click();
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return Window().cmdStartScanner->isEnabled(); }, 30000));
    }

    // End Batch with an ender card, OK in "Scan Ender Card".
    void End(const QString& reading = QStringLiteral("0 -1")) {
        ScriptCard(reading);
        station->dialogs.answers = {Answer::OK};
        Window().cmdEndBatch_Click();
    }

    QStringList ReaderCalls() const {
        QFile file(readerLog);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        QStringList calls = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        for (QString& call : calls) {
            call.replace(station->window->INTRAY, QStringLiteral("<intray>/"));
        }
        return calls;
    }

    std::unique_ptr<TestStation> station;
    QString readerLog;

  private:
    int sheets_ = 0;
};
