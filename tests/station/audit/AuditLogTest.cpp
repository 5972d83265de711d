// The audit log as the station writes it and an auditor verifies it: files on disk, the chain
// across restarts, tampering found, half lines and unwritable logs survived.

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>

#include "audit/AuditLog.h"
#include "audit/AuditLogFile.h"

namespace {

class AuditLogTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    QString LogPath() const { return folder_.filePath("state/KestranaLindhollow/audit.jsonl"); }

    // A log of count records written by one station run.
    void WriteRecords(int count) {
        AuditLog log(LogPath());
        log.SetStation(3);
        log.SetOperator("demo");
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(log.Append("batch-opened", {{"batch", i + 1}, {"source", "card"}}));
        }
    }

    QList<QByteArray> Lines() const {
        QFile file(LogPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = file.readAll().split('\n');
        lines.removeLast();  // after the last newline
        return lines;
    }

    void WriteLines(const QList<QByteArray>& lines) const {
        QFile file(LogPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const QByteArray& line : lines) {
            file.write(line + '\n');
        }
    }

    QTemporaryDir folder_;
};

TEST_F(AuditLogTest, RecordsCarryTheirFieldsAndTheChainGoesOnAcrossRestarts) {
    WriteRecords(3);
    WriteRecords(2);
    const QList<audit::AuditRecord> records = audit::ReadAuditLog(LogPath());
    ASSERT_EQ(records.size(), 5);
    for (qsizetype i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].sequence, i + 1);
    }
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)")
                    .match(records[0].time)
                    .hasMatch())
        << records[0].time.toStdString();
    EXPECT_EQ(records[4].station, 3);
    EXPECT_EQ(records[4].operatorId, "demo");
    EXPECT_EQ(records[4].event, "batch-opened");
    EXPECT_EQ(records[4].details.value("batch").toInt(), 2);
    const audit::Verification verification = audit::VerifyAuditLog(LogPath());
    EXPECT_EQ(verification.brokenLine, 0) << verification.problem.toStdString();
    EXPECT_EQ(verification.verified, 5);
}

struct Tampering {
    const char* name;
    std::function<void(QList<QByteArray>&)> change;
    qint64 brokenLine;
};

class TamperedLogs : public AuditLogTest, public testing::WithParamInterface<Tampering> {};

TEST_P(TamperedLogs, AreFoundAtTheFirstBrokenRecord) {
    WriteRecords(5);
    QList<QByteArray> lines = Lines();
    GetParam().change(lines);
    WriteLines(lines);
    const audit::Verification verification = audit::VerifyAuditLog(LogPath());
    EXPECT_EQ(verification.brokenLine, GetParam().brokenLine) << verification.problem.toStdString();
    EXPECT_EQ(verification.verified, GetParam().brokenLine - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TamperedLogs,
    testing::Values(Tampering{"ChangedByte",
                              [](auto& l) { l[2].replace("\"batch\":3", "\"batch\":8"); }, 3},
                    Tampering{"ChangedLastByte", [](auto& l) { l[4].replace("card", "cart"); }, 5},
                    Tampering{"RemovedLine", [](auto& l) { l.removeAt(1); }, 2},
                    Tampering{"RemovedFirstLine", [](auto& l) { l.removeFirst(); }, 1},
                    Tampering{"SwappedLines", [](auto& l) { l.swapItemsAt(1, 2); }, 2},
                    Tampering{"NotARecord", [](auto& l) { l[3] = "garbage"; }, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AuditLogTest, AHalfLineLeftByACrashIsCutOffAndRecorded) {
    WriteRecords(2);
    QFile file(LogPath());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("{\"details\":{\"batch\":");
    file.close();
    WriteRecords(1);
    const QList<audit::AuditRecord> records = audit::ReadAuditLog(LogPath());
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records[2].event, "audit-log-repaired");
    EXPECT_EQ(records[2].details.value("half_line_bytes_removed").toInt(), 20);
    EXPECT_EQ(audit::VerifyAuditLog(LogPath()).verified, 4);
}

TEST_F(AuditLogTest, AFullDeviceIsToldOnceAndTheStationGoesOn) {
    AuditLog log("/dev/full");
    QStringList told;
    log.SetFailureHandler([&](const QString& reason) { told << reason; });
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(log.Append("login-refused", {{"user", "demo"}}));
    }
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QString::fromLocal8Bit(strerror(ENOSPC))))
        << told[0].toStdString();
}

TEST_F(AuditLogTest, AnOutageIsRecordedWhenWritingWorksAgain) {
    // A file where the log's folder should be: the log cannot be opened until it goes.
    const QString blocker = folder_.filePath("state");
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    AuditLog log(LogPath());
    int told = 0;
    log.SetFailureHandler([&](const QString&) { ++told; });
    EXPECT_FALSE(log.Append("batch-opened", {{"batch", 1}}));
    EXPECT_FALSE(log.Append("batch-closed", {{"batch", 1}}));
    ASSERT_TRUE(QFile::remove(blocker));
    EXPECT_TRUE(log.Append("batch-opened", {{"batch", 2}}));
    EXPECT_EQ(told, 1);
    const QList<audit::AuditRecord> records = audit::ReadAuditLog(LogPath());
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].event, "audit-log-unwritable");
    EXPECT_EQ(records[0].details.value("events_lost").toInt(), 2);
    EXPECT_EQ(records[1].event, "batch-opened");
    EXPECT_EQ(audit::VerifyAuditLog(LogPath()).verified, 2);
}

}  // namespace
