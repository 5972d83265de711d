// verify-log --connect: an audit log checked against its anchors at the centre, after the ways
// someone who can write the log file may tamper with it.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "AdminToolRun.h"
#include "audit/AuditAnchoring.h"
#include "audit/AuditLog.h"
#include "audit/AuditRecord.h"
#include "support/TestDataSource.h"

namespace {

struct Tampering {
    const char* name;
    // Changes the log file at path, whose lines are given.
    std::function<void(const QString& path, QList<QByteArray>& lines)> change;
    int exitCode;
    const char* said;
};

struct AnchoredLogCase {
    const char* database;
    Tampering tampering;
};

class AnchoredLog : public testing::TestWithParam<AnchoredLogCase> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        source_ = MakeDataSource(QString::fromLatin1(GetParam().database));
    }

    QString LogPath() const { return home_.filePath("audit.jsonl"); }

    // Records 1 to 9 of station 3, anchored at records 4 and 7.
    void WriteAnchoredLog() {
        AuditLog log(LogPath());
        log.SetStation(3);
        for (int batch = 1; batch <= 8; ++batch) {
            log.Append("batch-closed", {{"batch", batch}});
            if (batch == 3 || batch == 6) {
                AnchorAuditLog(log, source_->ConnectString(), 3);
            }
        }
    }

    QTemporaryDir home_;
    std::unique_ptr<TestDataSource> source_;
};

QList<QByteArray> ReadLines(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeLast();
    return lines;
}

void WriteLines(const QString& path, const QList<QByteArray>& lines) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (const QByteArray& line : lines) {
        file.write(line + '\n');
    }
}

// Record 3 says batch 9 instead of 2, and every hash from there on is computed again.
void RewriteWithNewHashes(const QString& path, QList<QByteArray>& lines) {
    QByteArray previous = audit::kFirstPreviousHash;
    for (QByteArray& line : lines) {
        audit::AuditRecord record;
        QByteArray hash;
        QJsonObject unhashed;
        ASSERT_TRUE(audit::ParseRecordLine(line, record, hash, unhashed));
        if (record.sequence == 3) {
            record.details["batch"] = 9;
        }
        line = audit::RecordLine(record, previous, hash).chopped(1);
        previous = hash;
    }
    WriteLines(path, lines);
}

TEST_P(AnchoredLog, IsCheckedAgainstItsAnchors) {
    WriteAnchoredLog();
    QList<QByteArray> lines = ReadLines(LogPath());
    ASSERT_EQ(lines.size(), 9);
    GetParam().tampering.change(LogPath(), lines);

    const AdminToolResult result =
        RunAdminTool({"verify-log", LogPath(), "--connect", source_->ConnectString()}, home_.path(),
                     qEnvironmentVariable("ODBCINI"));
    EXPECT_EQ(result.exitCode, GetParam().tampering.exitCode) << result.errors.toStdString();
    EXPECT_TRUE(result.output.contains(QString::fromUtf8(GetParam().tampering.said)))
        << result.output.toStdString();
}

const Tampering kTamperings[] = {
    {"Untouched", [](auto&, auto&) {}, 0,
     "2 anchor(s) checked, records up to 7 vouched for, 2 after the last anchor that holds."},
    {"TailCut",
     [](const QString& path, QList<QByteArray>& lines) { WriteLines(path, lines.mid(0, 5)); }, 1,
     "is missing: the log ends at record 5, so records were cut off its end."},
    {"Deleted",
     [](const QString& path, auto&) {
         QFile::remove(path);
         AuditLog fresh(path);
         fresh.SetStation(3);
         fresh.Append("station-started");
     },
     1, "but no file given is that log: it was deleted or replaced"},
    {"RewrittenWithNewHashes", RewriteWithNewHashes, 1,
     "does not carry the anchored hash: the log was rewritten at or before that record."},
    {"Respaced",
     [](const QString& path, QList<QByteArray>& lines) {
         lines[5].replace("\"event\":", "\"event\": ");
         WriteLines(path, lines);
     },
     1, "line 6: the line is not written exactly as its record's canonical form"},
};

std::vector<AnchoredLogCase> Cases() {
    std::vector<AnchoredLogCase> cases;
    for (const char* database : {"SQLite", "MariaDB"}) {
        for (const Tampering& tampering : kTamperings) {
            cases.push_back({database, tampering});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, AnchoredLog, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<AnchoredLogCase>& info) {
                             return std::string(info.param.database) + info.param.tampering.name;
                         });

}  // namespace
