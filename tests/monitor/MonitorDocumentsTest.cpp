// What the endpoints answer, apart from the web server: the JSON, the metrics and the password
// file's verdicts.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CentreJson.h"
#include "CentreReader.h"
#include "Metrics.h"
#include "PasswordFile.h"
#include "support/TempFolder.h"

namespace {

const QDateTime kRead(QDate(2026, 12, 7), QTime(14, 5, 0));

CentreView ReadView() {
    CentreView view;
    view.databaseUp = true;
    CentreSnapshot& snapshot = view.snapshot.emplace();
    snapshot.readAt = kRead;
    StationRow& online = snapshot.stations.emplace_back();
    online.systemId = 3;
    online.status = "ONLINE";
    online.currentTask = "a\"b\\c\nd";
    StationRow& offline = snapshot.stations.emplace_back();
    offline.systemId = 4;
    offline.openBatch = 7;
    snapshot.totals.batchesLost = 2;
    snapshot.anchorLags = QList<AnchorLag>{{3, kRead.toUTC(), kRead}};
    return view;
}

// "stations/0/openBatch": the value at that path of the document.
QJsonValue At(const QByteArray& document, const QString& path) {
    QJsonValue value = QJsonDocument::fromJson(document).object();
    for (const QString& step : path.split(u'/')) {
        bool index = false;
        const int number = step.toInt(&index);
        value = index ? value.toArray().at(number) : value.toObject().value(step);
    }
    return value;
}

TEST(MonitorDocuments, JsonSaysWhatWasReadAndWhetherItIsStale) {
    const CentreView none, read = ReadView();
    const QList<BatchRow> most(kMostBatches), one(1);
    const struct {
        QByteArray document;
        const char* path;
        QJsonValue expected;
    } rows[] = {
        {TotalsJson(none), "stale", true},
        {TotalsJson(none), "readAt", QJsonValue::Null},
        {TotalsJson(none), "totals", QJsonObject()},
        {StationsJson(none), "stations", QJsonArray()},
        {TotalsJson(read), "totals/batchesLost", 2},
        {StationsJson(read), "readAt", "2026-12-07T14:05:00"},
        {StationsJson(read), "stations/0/openBatch", QJsonValue::Null},
        {StationsJson(read), "stations/1/openBatch", 7},
        {OverviewJson(read), "anchorLags/0/lastAnchor", kRead.toUTC().toString(Qt::ISODate)},
        {OverviewJson(none), "anchorLags", QJsonValue::Null},
        {BatchesJson(read, most), "truncated", true},
        {BatchesJson(read, one), "truncated", false},
        {BatchesJson(read, one), "batches/0/ended", QJsonValue::Null},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(At(row.document, row.path), row.expected)
            << row.path << ' ' << row.document.toStdString();
    }
}

TEST(MonitorDocuments, MetricsEscapeTheirLabels) {
    const QByteArray none = MetricsText({}), read = MetricsText(ReadView());
    const struct {
        const QByteArray& text;
        const char* line;
        bool present;
    } rows[] = {
        {none, "lindhollow_monitor_database_up 0\n", true},
        {none, "lindhollow_station_up{", false},
        {read, "lindhollow_monitor_database_up 1\n", true},
        {read, "lindhollow_station_up{station=\"3\",task=\"a\\\"b\\\\c\\nd\"} 1\n", true},
        {read, "lindhollow_station_up{station=\"4\",task=\"\"} 0\n", true},
        {read, "lindhollow_batches_lost_total 2\n", true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.text.contains(row.line), row.present) << row.line;
    }
}

TEST(MonitorDocuments, PasswordFileAcceptsItsAccountsOnly) {
    const TempFolder folder;
    const QString good = PasswordFile::Line("chief", "s3cret:x");
    const struct {
        QString line;
        QByteArray user;  // "name:password", sent as HTTP basic authentication
        bool accepted;
        const char* error;  // loading fails with it
    } rows[] = {
        {good, "chief:s3cret:x", true, nullptr},
        {good, "chief:s3cret", false, nullptr},
        {good, "boss:s3cret:x", false, nullptr},
        {good, "chief", false, nullptr},
        {"chief:md5:1:AA==:AA==", {}, false, "line 2 of"},
        {"chief:pbkdf2-sha256:0:AA==:AA==", {}, false, "line 2 of"},
        {":pbkdf2-sha256:1:AA==:AA==", {}, false, "line 2 of"},
    };
    for (const auto& row : rows) {
        QFile file(QString::fromStdString(folder.File("passwords")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("# supervisors\n" + row.line.toUtf8() + "\n\n");
        file.close();
        try {
            const PasswordFile passwords = PasswordFile::Load(file.fileName());
            EXPECT_EQ(passwords.Accepts("Basic " + row.user.toBase64()), row.accepted)
                << row.user.toStdString();
            EXPECT_FALSE(passwords.Accepts(row.user)) << "without Basic";
            EXPECT_EQ(row.error, nullptr) << row.line.toStdString();
        } catch (const std::runtime_error& error) {
            ASSERT_NE(row.error, nullptr) << error.what();
            EXPECT_NE(std::string(error.what()).find(row.error), std::string::npos);
        }
    }
}

}  // namespace
