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

using Lines = QList<QByteArray>;

struct Tampering {
    const char* name;
    std::function<void(const QString& path, Lines& lines)> change;  // of the file at path
    int exitCode;
    const char* said;
};

void Write(const QString& path, const Lines& lines) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines.join('\n') + '\n');
}

// Record 3 says batch 9 instead of 2, and every hash is computed again.
void RewriteWithNewHashes(const QString& path, Lines& lines) {
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
    Write(path, lines);
}

const Tampering kTamperings[] = {
    {"Untouched", [](auto&, auto&) {}, 0,
     "2 anchor(s) checked, records up to 7 vouched for, 2 after the last anchor that holds."},
    {"TailCut", [](const QString& path, Lines& lines) { Write(path, lines.mid(0, 5)); }, 1,
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
     [](const QString& path, Lines& lines) {
         lines[5].replace("\"event\":", "\"event\": ");
         Write(path, lines);
     },
     1, "line 6: the line is not written exactly as its record's canonical form"},
};

class AnchoredLog : public testing::TestWithParam<std::tuple<const char*, Tampering>> {};

TEST_P(AnchoredLog, IsCheckedAgainstItsAnchors) {
    const auto& [database, tampering] = GetParam();
    QTemporaryDir home;
    const std::unique_ptr<TestDataSource> source = MakeDataSource(QString::fromLatin1(database));
    const QString path = home.filePath("audit.jsonl");
    {  // records 1 to 9 of station 3, anchored at records 4 and 7
        AuditLog log(path);
        log.SetStation(3);
        for (int batch = 1; batch <= 8; ++batch) {
            log.Append("batch-closed", {{"batch", batch}});
            if (batch == 3 || batch == 6) {
                AnchorAuditLog(log, source->ConnectString(), 3);
            }
        }
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    Lines lines = file.readAll().trimmed().split('\n');
    file.close();
    tampering.change(path, lines);

    const AdminToolResult result =
        RunAdminTool({"verify-log", path, "--connect", source->ConnectString()}, home.path(),
                     qEnvironmentVariable("ODBCINI"));
    EXPECT_EQ(result.exitCode, tampering.exitCode) << result.errors.toStdString();
    EXPECT_TRUE(result.output.contains(QString::fromUtf8(tampering.said)))
        << result.output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, AnchoredLog,
                         testing::Combine(testing::Values("SQLite", "MariaDB"),
                                          testing::ValuesIn(kTamperings)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param)) +
                                    std::get<1>(info.param).name;
                         });

}  // namespace
