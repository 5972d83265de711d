// The monitor's parts without a database or a browser: outages, stale figures and lost batches
// over a series of readings; the JSON and metrics; the password file; the web server made,
// stopped and destroyed again and again, where a thread left behind would touch a freed server.

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <QFile>
#include <thread>

#include "CentreJson.h"
#include "CentreReader.h"
#include "LostBatches.h"
#include "Metrics.h"
#include "WebServer.h"
#include "support/TempFolder.h"

namespace {

const QDateTime kStart(QDate(2026, 12, 7), QTime(14, 0, 0));

TEST(MonitorParts, OutagesKeepTheLastFiguresAndOldFiguresAreStale) {
    const struct {
        std::string readings;  // one a second: + read, - failed
        qint64 shownAfter;     // milliseconds after the last reading
        bool up;
        int downSince;  // the reading's number; -1: none
    } rows[] = {{"+", 15000, true, -1},
                {"+", 15001, false, 0},
                {"+--", 0, false, 1},
                {"+--+", 0, true, -1},
                {"+-+-", 0, false, 3}};
    for (const auto& row : rows) {
        CentreView view;
        for (size_t i = 0; i < row.readings.size(); ++i) {
            std::optional<CentreSnapshot> snapshot;
            if (row.readings[i] == '+') {
                snapshot.emplace().readAt = kStart.addSecs(qint64(i));
            }
            RecordReading(view, std::move(snapshot), kStart.addSecs(qint64(i)), 5);
        }
        const QDateTime last = kStart.addSecs(qint64(row.readings.size() - 1));
        view = AsShownAt(view, last.addMSecs(row.shownAfter), 15000);
        EXPECT_EQ(view.databaseUp, row.up) << row.readings;
        EXPECT_EQ(view.downSince, row.downSince < 0 ? QDateTime() : kStart.addSecs(row.downSince))
            << row.readings;
        EXPECT_EQ(view.snapshot->readAt, kStart.addSecs(qint64(row.readings.rfind('+'))));
    }
}

TEST(MonitorParts, ABatchSeenOpenThatIsGoneWasLost) {
    const struct {
        QList<QList<int>> readings;  // batch numbers open at station 1, started at that number
        QList<int> stillThere;       // found closed under their start
        int failingCheck;            // the check that throws, which repeats its reading; 0: none
        qint64 lost;
    } rows[] = {
        {{{7}, {}}, {7}, 0, 0},
        {{{7}, {7}}, {}, 0, 0},
        {{{7}, {}}, {}, 0, 1},
        {{{7, 8}, {}}, {}, 2, 2},
    };
    for (const auto& row : rows) {
        LostBatches lost;
        int checks = 0;
        const auto stillThere = [&](int, int batch, const QDateTime&) {
            if (++checks == row.failingCheck) {
                throw std::runtime_error("the database went away");
            }
            return row.stillThere.contains(batch);
        };
        qint64 counted = 0;
        for (const QList<int>& reading : row.readings) {
            QList<StationRow> stations(reading.size());
            for (qsizetype i = 0; i < reading.size(); ++i) {
                stations[i].systemId = 1;
                stations[i].openBatch = reading[i];
                stations[i].openSince = kStart.addSecs(reading[i]);
            }
            try {
                counted = lost.Count(stations, stillThere);
            } catch (const std::runtime_error&) {
                counted = lost.Count(stations, stillThere);
            }
        }
        EXPECT_EQ(counted, row.lost) << row.readings.front().size() << ' ' << row.failingCheck;
    }
}

TEST(MonitorParts, DocumentsSayWhatWasReadAndWhetherItIsStale) {
    CentreView none, read;
    read.databaseUp = true;
    CentreSnapshot& snapshot = read.snapshot.emplace();
    snapshot.readAt = kStart;
    StationRow& station = snapshot.stations.emplace_back();
    station.systemId = 3;
    station.status = "ONLINE";
    station.currentTask = "a\"b\\c\nd";
    snapshot.totals.batchesLost = 2;
    snapshot.anchorLags = QList<AnchorLag>{{3, QDateTime(kStart.date(), {13, 0}, Qt::UTC), {}}};
    const struct {
        QByteArray document;
        const char* text;
    } rows[] = {
        {TotalsJson(none), R"("readAt":null,"refreshMilliseconds":0,"stale":true)"},
        {StationsJson(none), R"("stations":[])"},
        {StationsJson(read), R"("openBatch":null)"},
        {StationsJson(read),
         R"("readAt":"2026-12-07T14:00:00","refreshMilliseconds":0,"stale":false)"},
        {OverviewJson(read), R"("lastAnchor":"2026-12-07T13:00:00Z","lastBatchEvent":null)"},
        {BatchesJson(read, QList<BatchRow>(kMostBatches)), R"("truncated":true)"},
        {BatchesJson(read, QList<BatchRow>(1)), R"("truncated":false)"},
        {MetricsText(none), "\nlindhollow_monitor_database_up 0\n"},
        {MetricsText(read), "\nlindhollow_station_up{station=\"3\",task=\"a\\\"b\\\\c\\nd\"} 1\n"},
        {MetricsText(read), "\nlindhollow_batches_lost_total 2\n"},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(row.document.contains(row.text)) << row.text << "\n" << row.document.data();
    }
}

TEST(MonitorParts, PasswordFileAcceptsItsAccountsOnly) {
    const TempFolder folder;
    const QString good = PasswordFile::Line("chief", "s3cret:x");
    const struct {
        QString line;
        QByteArray user;  // "name:password" sent as basic authentication; none: the line is refused
        bool accepted;
    } rows[] = {
        {good, "chief:s3cret:x", true},       {good, "chief:s3cret", false},
        {good, "boss:s3cret:x", false},       {good, "chief", false},
        {"chief:md5:1:AA==:AA==", {}, false}, {"chief:pbkdf2-sha256:0:AA==:AA==", {}, false},
    };
    for (const auto& row : rows) {
        QFile file(QString::fromStdString(folder.File("passwords")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("# supervisors\n\n" + row.line.toUtf8() + "\n");
        file.close();
        if (row.user.isEmpty()) {
            EXPECT_THROW(PasswordFile::Load(file.fileName()), std::runtime_error);
        } else {
            EXPECT_EQ(PasswordFile::Load(file.fileName()).Accepts("Basic " + row.user.toBase64()),
                      row.accepted)
                << row.user.data();
        }
    }
}

TEST(MonitorParts, WebServerServesStopsAndGoesAwayManyTimes) {
    // Blocked before any thread starts, as the program does, so that the server takes SIGTERM.
    sigset_t stopSignals, before;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, &before);
    {
        const Refresher refresher(QStringLiteral("Driver=none"), std::chrono::hours(1));
        WebOptions options;
        options.port = 0;
        options.chartJs = QStringLiteral(LINDHOLLOW_CHART_JS);
        const struct {
            const char* path;  // none: stopped before any request
            int status;
        } rows[] = {{"/api/totals", 200}, {"/api/batches?since=yesterday", 400}, {nullptr, 0}};
        for (int round = 0; round < 5; ++round) {
            for (const auto& row : rows) {
                WebServer server(options, refresher);
                std::thread listening([&server] { EXPECT_TRUE(server.Listen()); });
                if (row.path) {
                    const std::string url = server.Url();
                    const auto reply = httplib::Client(url.substr(0, url.size() - 1)).Get(row.path);
                    EXPECT_EQ(reply ? reply->status : 0, row.status) << row.path;
                }
                server.Stop();
                listening.join();
            }
            int status = -1;
            std::thread serving([&] { status = Serve(options, refresher); });
            kill(getpid(), SIGTERM);
            serving.join();
            EXPECT_EQ(status, 0);
        }
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace
