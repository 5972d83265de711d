// The steps of a refresh apart from the database: outages and stale figures, lost batches and
// status changes, over a series of readings.

#include <gtest/gtest.h>

#include <QSet>
#include <stdexcept>
#include <string>

#include "CentreView.h"
#include "LostBatches.h"
#include "StatusChanges.h"

namespace {

const QDateTime kStart(QDate(2026, 12, 7), QTime(14, 0, 0));

TEST(RefreshSteps, AnOutageStartsAtItsFirstFailedReadingAndKeepsTheLastFigures) {
    const struct {
        std::string readings;  // one a second: + read, - failed
        bool up;
        int downSince;  // the reading's number; -1: none
        qint64 failed;
    } rows[] = {
        {"+", true, -1, 0},    {"-", false, 0, 1},    {"+--", false, 1, 2},
        {"+--+", true, -1, 2}, {"+-+-", false, 3, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.readings);
        CentreView view;
        for (size_t i = 0; i < row.readings.size(); ++i) {
            std::optional<CentreSnapshot> snapshot;
            if (row.readings[i] == '+') {
                snapshot.emplace().readAt = kStart.addSecs(qint64(i));
            }
            RecordReading(view, std::move(snapshot), kStart.addSecs(qint64(i)), 5);
        }
        EXPECT_EQ(view.databaseUp, row.up);
        EXPECT_EQ(view.downSince, row.downSince < 0 ? QDateTime() : kStart.addSecs(row.downSince));
        EXPECT_EQ(view.failedRefreshes, row.failed);
        const size_t lastRead = row.readings.rfind('+');
        EXPECT_EQ(view.snapshot ? view.snapshot->readAt : QDateTime(),
                  lastRead == std::string::npos ? QDateTime() : kStart.addSecs(qint64(lastRead)))
            << "the last figures stay";
    }
}

TEST(RefreshSteps, FiguresNotReadAgainInTimeAreStale) {
    const struct {
        qint64 ageMilliseconds;
        bool upBefore;
        bool upShown;
    } rows[] = {{15000, true, true}, {15001, true, false}, {0, false, false}};
    for (const auto& row : rows) {
        CentreView view;
        view.snapshot.emplace().readAt = kStart;
        view.databaseUp = row.upBefore;
        const CentreView shown = AsShownAt(view, kStart.addMSecs(row.ageMilliseconds), 15000);
        EXPECT_EQ(shown.databaseUp, row.upShown) << row.ageMilliseconds;
        EXPECT_EQ(shown.downSince, row.upBefore && !row.upShown ? kStart : QDateTime());
    }
}

struct Open {
    int station;
    int batch;
    int startSecond;
};

TEST(RefreshSteps, ABatchSeenOpenThatIsGoneWasLost) {
    const struct {
        const char* what;
        QList<QList<Open>> readings;
        QList<int> stillThere;  // batch numbers found closed under their start
        int failingCheck;       // the check that throws, which repeats its reading; 0: none
        qint64 lost;
    } rows[] = {
        {"closed", {{{1, 7, 0}}, {}}, {7}, 0, 0},
        {"still open", {{{1, 7, 0}}, {{1, 7, 0}}}, {}, 0, 0},
        {"deleted", {{{1, 7, 0}}, {}}, {}, 0, 1},
        {"open again under a new start", {{{1, 7, 0}}, {{1, 7, 60}}}, {}, 0, 1},
        {"two deleted, a failed check between", {{{1, 7, 0}, {2, 3, 0}}, {}}, {}, 2, 2},
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
        for (const QList<Open>& reading : row.readings) {
            QList<StationRow> stations;
            for (const Open& open : reading) {
                StationRow& station = stations.emplace_back();
                station.systemId = open.station;
                station.openBatch = open.batch;
                station.openSince = kStart.addSecs(open.startSecond);
            }
            try {
                counted = lost.Count(stations, stillThere);
            } catch (const std::runtime_error&) {
                counted = lost.Count(stations, stillThere);
            }
        }
        EXPECT_EQ(counted, row.lost) << row.what;
    }
}

TEST(RefreshSteps, AStationsActivityIsTheLastChangeOfItsStatusRowSeen) {
    const struct {
        const char* what;
        QStringList tasks;  // the station's task at readings a minute apart
        QDateTime ownActivity;
        QDateTime expected;
    } rows[] = {
        {"first sight", {"IDLE"}, {}, {}},
        {"changed", {"IDLE", "SCANNING"}, {}, kStart.addSecs(60)},
        {"unchanged since", {"IDLE", "SCANNING", "SCANNING"}, {}, kStart.addSecs(60)},
        {"its own batch later", {"IDLE", "SCANNING"}, kStart.addSecs(90), kStart.addSecs(90)},
    };
    for (const auto& row : rows) {
        StatusChanges changes;
        QList<StationRow> stations(1);
        for (qsizetype i = 0; i < row.tasks.size(); ++i) {
            stations[0].currentTask = row.tasks[i];
            stations[0].lastActivity = row.ownActivity;
            changes.Mark(stations, kStart.addSecs(60 * i));
        }
        EXPECT_EQ(stations[0].lastActivity, row.expected) << row.what;
    }
}

}  // namespace
