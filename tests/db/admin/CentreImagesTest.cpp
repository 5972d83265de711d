// export-batch, verify-images and verify-log on a centre that keeps its images: a closed batch of
// station 3 stored as the station stores it (image rows, seals, copies of real image files, the
// batch seal anchored with its batch-ended record), then changed in each way the centre must tell.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>

#include "CentreAdminFixture.h"
#include "audit/AuditAnchoring.h"
#include "audit/AuditLog.h"
#include "images/ImageSeal.h"
#include "support/SheetFiles.h"
#include "support/TestDataSource.h"

namespace {

struct Centre {
    QString admin;
    QString station;  // the station's own account
    QString out;      // the export folder
    QString intray;   // the station's, with the batch's files in 3007/
};

struct Check {
    QStringList command;  // %admin, %out, %log, %intray: the centre, folders, log
    int exitCode;
    const char* says;
};

struct Case {
    const char* name;
    std::function<void(const Centre&)> change;
    std::vector<Check> checks;
};

const QStringList kVerify = {"verify-images", "--connect", "%admin", "--system-id", "3",
                             "--batch",       "7"};
const QStringList kExport = {"export-batch", "--connect", "%admin", "--system-id", "3",
                             "--batch",      "7",         "--out",  "%out"};
const QStringList kVerifyLog = {"verify-log", "%log", "--connect", "%admin"};

// The batch: header card, ballot, ender card, their statuses; and a ballot that is none of them.
const std::vector<std::vector<std::string>> kSheets = {
    {"header", "--type", "-6", "--batch", "7"}, {"ballot", "--marks", "1,5"}, {"ender"}};
const int kStatuses[] = {9, 0, 10};
const std::vector<std::string> kOtherBallot = {"ballot", "--marks", "2,40"};

QByteArray Sheet(const std::vector<std::string>& args, const QString& path) {
    sheet_files::Make(args, QFile::encodeName(path).toStdString());
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string SealOf(const QByteArray& bytes) {
    return SealOfBytes({bytes.constData(), std::size_t(bytes.size())});
}

// Image `seq`'s seal and copy, as the station stores them.
void StoreSealAndCopy(const QString& connect, int seq, const QByteArray& bytes) {
    const QString seal = QString::fromStdString(SealOf(bytes));
    ExecuteOn(connect, QStringLiteral("INSERT INTO ImageSeals VALUES (3,7,%1,30070000%1,'%2')")
                           .arg(seq)
                           .arg(seal));
    ExecuteOn(connect, QStringLiteral("INSERT INTO ImageFiles VALUES (3,7,%1,'%2',X'%3')")
                           .arg(seq)
                           .arg(seal, QString::fromLatin1(bytes.toHex())));
}

const Case kCases[] = {
    {"Untouched",
     [](const Centre&) {},
     {{kVerify, 0,
       "Station 3, batch 7: 3 of 3 copies at the centre match their seals; its seals give the "
       "batch seal anchored when it ended."},
      {kExport, 0, "Station 3, batch 7: 3 of 3 images written to "},
      {{"export-batch", "--connect", "%admin", "--all-closed", "--out", "%out", "--force"},
       0,
       "1 closed batches exported"},
      {kVerifyLog, 0, "2 anchor(s) checked, records up to 3 vouched for"},
      {kVerify + QStringList{"--intray", "%intray"}, 0, "3 of 3 images match their seals."}}},
    {"InTrayFileSwapped",
     [](const Centre& c) { Sheet(kOtherBallot, c.intray + "/3007/300700001.tif"); },
     {{kVerify + QStringList{"--intray", "%intray"}, 1,
       "Station 3, batch 7: 300700001.tif in the in-tray differs from the centre's copy."}}},
    {"CopyChanged",
     [](const Centre& c) {
         ExecuteOn(c.admin, "UPDATE ImageFiles SET ImageData = X'4949' WHERE ImageSeq = 1");
     },
     {{kVerify, 1, "the centre's copy of 300700001.tif does not match its seal"},
      {kExport, 1, "the centre's copy of 300700001.tif does not match its seal"}}},
    // A closed batch is final to its station's account; an account not bound by that swaps a
    // copy and its seal together.
    {"SealAndCopyReplaced",
     [](const Centre& c) {
         ExecuteOn(c.admin, "DELETE FROM ImageSeals WHERE SystemID = 3 AND ImageSeq = 1");
         ExecuteOn(c.admin, "DELETE FROM ImageFiles WHERE SystemID = 3 AND ImageSeq = 1");
         StoreSealAndCopy(c.admin, 1, Sheet(kOtherBallot, c.out + ".tif"));
     },
     {{kVerify, 1,
       "Station 3, batch 7: its seals do not give the batch seal that its station anchored when "
       "the batch ended (record 2 of log "},
      {kExport, 1, "its seals do not give the batch seal that its station anchored"}}},
    {"StoredBeforeCopiesWereKept",
     [](const Centre& c) {
         ExecuteOn(c.admin, "DELETE FROM ImageFiles");
         ExecuteOn(c.admin, "UPDATE AuditAnchors SET RecordLine = NULL");
     },
     {{kVerify, 1,
       "Station 3, batch 7: stored before images were kept at the centre: the centre holds no "
       "copy of its 3 images and no batch seal of it."},
      {kExport, 1, "Station 3, batch 7: stored before images were kept at the centre"}}},
    {"CopyMissing",
     [](const Centre& c) { ExecuteOn(c.admin, "DELETE FROM ImageFiles WHERE ImageSeq = 2"); },
     {{kVerify, 1, "Station 3, batch 7: 300700002.tif has no copy at the centre."},
      {kExport, 1, "Station 3, batch 7: 300700002.tif has no copy at the centre."}}},
    {"AnchoredLineMadeUp",
     [](const Centre& c) {
         ExecuteOn(c.admin,
                   "UPDATE AuditAnchors SET RecordLine = REPLACE(RecordLine, "
                   "'\"images\":3', '\"images\":4')");
     },
     {{kVerify, 1, "it has 3 image rows, but its station anchored 4 images"},
      {kVerifyLog, 1, "is not the line anchored at the centre"}}},
    {"MissingBatch",
     [](const Centre& c) { ExecuteOn(c.admin, "DELETE FROM Batches"); },
     {{kVerify, 1, "Station 3 has no closed batch 7 at the centre."},
      {kExport, 1, "Station 3 has no closed batch 7 at the centre."}}},
    {"OutNotEmpty",
     [](const Centre& c) {
         QDir().mkpath(c.out);
         Sheet(kOtherBallot, c.out + "/300700001.tif");
     },
     {{kExport, 1, "is not empty; --force writes into it"},
      {kExport + QStringList{"--force"}, 0, "Station 3, batch 7: 3 of 3 images written to "}}},
};

class CentreImages : public CentreAdmin,
                     public testing::WithParamInterface<std::tuple<const char*, Case>> {};

TEST_P(CentreImages, AreExportedAndVerifiedFromTheCentreAlone) {
    const auto& [kind, row] = GetParam();
    std::unique_ptr<TestDataSource> sqlite;
    Centre centre{{}, {}, home_.filePath("export"), home_.filePath("intray")};
    QDir().mkpath(centre.intray + "/3007");
    if (QLatin1StringView(kind) == u"MariaDB") {
        centre.station = StationConnectString(database_, "station3", CentreWithStation(3));
        centre.admin = AdminOnCentre();
    } else {
        sqlite = MakeSqliteDataSource();
        centre.admin = centre.station = sqlite->ConnectString();
    }
    QList<QByteArray> scanned;
    std::vector<std::string> seals;
    ExecuteOn(centre.station,
              "INSERT INTO Batches(SystemID,BatchNo,StartTime,ImageCount) "
              "VALUES (3,7,'2026-12-08 09:00:00',3)");
    for (int seq = 0; seq < 3; ++seq) {
        scanned << Sheet(kSheets[seq],
                         centre.intray + QStringLiteral("/3007/30070000%1.tif").arg(seq));
        seals.push_back(SealOf(scanned.last()));
        ExecuteOn(centre.station, QStringLiteral("INSERT INTO BallotImages(SystemID,BatchNo,"
                                                 "ImageSeq,BallotSN,Status,Error) VALUES "
                                                 "(3,7,%1,30070000%1,%2,0)")
                                      .arg(seq)
                                      .arg(kStatuses[seq]));
        StoreSealAndCopy(centre.station, seq, scanned.last());
    }
    ExecuteOn(
        centre.station,
        "UPDATE Batches SET EndTime = '2026-12-08 09:05:00' WHERE SystemID = 3 AND BatchNo = 7");
    const QString log = home_.filePath("audit.jsonl");
    {
        AuditLog audit(log);
        audit.SetStation(3);
        audit.Append(
            "batch-ended",
            {{"batch", 7}, {"images", 3}, {"seal", QString::fromStdString(SealOfBatch(seals))}});
        AnchorAuditLog(audit, centre.station, 3);
        audit.Append("batch-closed", {{"batch", 7}, {"images", 3}});
        AnchorAuditLog(audit, centre.station, 3);
    }
    row.change(centre);

    for (const Check& check : row.checks) {
        QStringList command = check.command;
        command.replaceInStrings("%admin", centre.admin)
            .replaceInStrings("%out", centre.out)
            .replaceInStrings("%intray", centre.intray)
            .replaceInStrings("%log", log);
        const AdminToolResult result =
            RunAdminTool(command, home_.path(), qEnvironmentVariable("ODBCINI"));
        SCOPED_TRACE(command.join(u' ').toStdString() + "\n" + result.output.toStdString() +
                     result.errors.toStdString());
        EXPECT_EQ(result.exitCode, check.exitCode);
        EXPECT_TRUE((result.output + result.errors).contains(QLatin1StringView(check.says)));
        if (command.front() == u"export-batch" && result.exitCode == 0) {
            QStringList manifest = {"serial,sequence,status,error,sha256"};
            for (int seq = 0; seq < 3; ++seq) {
                QFile exported(centre.out + QStringLiteral("/3007/30070000%1.tif").arg(seq));
                ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
                EXPECT_EQ(exported.readAll(), scanned[seq]);
                manifest << QStringLiteral("30070000%1,%1,%2,0,%3")
                                .arg(seq)
                                .arg(kStatuses[seq])
                                .arg(QString::fromStdString(seals[seq]));
            }
            QFile written(centre.out + "/3007/manifest.csv");
            ASSERT_TRUE(written.open(QIODevice::ReadOnly));
            EXPECT_EQ(QString::fromUtf8(written.readAll()), manifest.join(u'\n') + u'\n');
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, CentreImages,
                         testing::Combine(testing::Values("SQLite", "MariaDB"),
                                          testing::ValuesIn(kCases)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param)) +
                                    std::get<1>(info.param).name;
                         });

}  // namespace
