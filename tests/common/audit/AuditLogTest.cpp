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
    const QList<audit::AuditRecord> records = audit::ReadAuditLog(LogPath()).mid(1);
    ASSERT_EQ(records.size(), 5);
    for (qsizetype i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].sequence, i + 2);
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
    EXPECT_EQ(verification.verified, 6);
    // One log, one id, named by its first record.
    EXPECT_EQ(audit::NamedLogId(audit::ReadAuditLog(LogPath())[0]).size(), 32);
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
    testing::Values(
        Tampering{"ChangedByte", [](auto& l) { l[3].replace("\"batch\":3", "\"batch\":8"); }, 4},
        Tampering{"ChangedLastByte", [](auto& l) { l[5].replace("card", "cart"); }, 6},
        Tampering{"RemovedLine", [](auto& l) { l.removeAt(2); }, 3},
        Tampering{"RemovedFirstLine", [](auto& l) { l.removeFirst(); }, 1},
        Tampering{"SwappedLines", [](auto& l) { l.swapItemsAt(2, 3); }, 3},
        Tampering{"NotARecord", [](auto& l) { l[4] = "garbage"; }, 5},
        // Lines that mean the same record but are not its canonical bytes.
        Tampering{"EscapedLetter", [](auto& l) { l[3].replace("card", "c\\u0061rd"); }, 4},
        Tampering{"NumberForm", [](auto& l) { l[3].replace("\"seq\":4", "\"seq\":4.0"); }, 4},
        Tampering{"ExtraMember", [](auto& l) { l[3].replace("{\"details", "{\"a\":1,\"details"); },
                  4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AuditLogTest, AHalfLineLeftByACrashIsCutOffAndRecorded) {
    WriteRecords(2);
    QFile file(LogPath());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("{\"details\":{\"batch\":");
    file.close();
    WriteRecords(1);
    const QList<audit::AuditRecord> records = audit::ReadAuditLog(LogPath());
    ASSERT_EQ(records.size(), 5);
    EXPECT_EQ(records[3].event, "audit-log-repaired");
    EXPECT_EQ(records[3].details.value("half_line_bytes_removed").toInt(), 20);
    EXPECT_EQ(audit::VerifyAuditLog(LogPath()).verified, 5);
}

// What the last line of a log can be when the station starts again, besides the half line above.
// The station goes on from the last record, whatever its length, and cuts a last line that is
// not one.
struct LogEnding {
    const char* name;
    std::function<QByteArray(const QList<QByteArray>& lines)> appended;
    const char* repaired;  // the detail of audit-log-repaired; none when nothing is cut
    qint64 cutBytes;
};

class LogEndings : public AuditLogTest, public testing::WithParamInterface<LogEnding> {};

TEST_P(LogEndings, AreResumedFromWithoutStartingAgain) {
    WriteRecords(2);
    QFile file(LogPath());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(GetParam().appended(Lines()));
    file.close();
    const qsizetype before = audit::ReadAuditLog(LogPath()).size();

    AuditLog log(LogPath());
    ASSERT_TRUE(log.Append("login-refused", {{"user", QString(100000, u'u')}}));
    const QList<audit::AuditRecord> records = audit::ReadAuditLog(LogPath());
    const bool cut = GetParam().repaired[0] != '\0';
    ASSERT_EQ(records.size(), before + (cut ? 2 : 1));
    if (cut) {
        EXPECT_EQ(records[before].event, "audit-log-repaired");
        EXPECT_EQ(records[before].details.value(GetParam().repaired).toInteger(),
                  GetParam().cutBytes);
    }
    EXPECT_EQ(records.last().details.value("user").toString(), QString(255, u'u') + QChar(0x2026));
    const audit::Verification verification = audit::VerifyAuditLog(LogPath());
    EXPECT_EQ(verification.brokenLine, 0) << verification.problem.toStdString();
    EXPECT_EQ(verification.verified, records.size());
    EXPECT_EQ(log.LatestRecord()->logId + QString::number(log.LatestRecord()->sequence),
              audit::NamedLogId(records[0]) + QString::number(records.size()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.LatestRecord()->line, file.readAll().trimmed().split('\n').last());
}

// A record of 100 KB, chained to the lines before, as a station wrote it before free text was
// capped.
QByteArray LongRecord(const QList<QByteArray>& lines) {
    audit::AuditRecord last;
    QByteArray hash;
    QJsonObject unhashed;
    EXPECT_TRUE(audit::ParseRecordLine(lines.last(), last, hash, unhashed));
    const audit::AuditRecord record{
        last.time, 3, "", last.sequence + 1, "login-refused", {{"user", QString(100000, u'x')}}};
    QByteArray ownHash;
    return audit::RecordLine(record, hash, ownHash);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LogEndings,
    testing::Values(LogEnding{"VeryLongRecord", LongRecord, "", 0},
                    LogEnding{"UnreadableLine", [](auto&) { return QByteArray(70000, 'z') + '\n'; },
                              "unreadable_line_bytes_removed", 70001}),
    [](const auto& info) { return std::string(info.param.name); });

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
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[1].event, "audit-log-unwritable");
    EXPECT_EQ(records[1].details.value("events_lost").toInt(), 2);
    EXPECT_EQ(records[2].event, "batch-opened");
    EXPECT_EQ(audit::VerifyAuditLog(LogPath()).verified, 3);
}

}  // namespace
