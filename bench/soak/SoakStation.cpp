#include "SoakStation.h"

#include <QDeadlineTimer>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>

#include "HeadlessStation.h"
#include "SoakProtocol.h"
#include "database/StatementObserver.h"

namespace {

// The longest a batch is tried again while the database is away.
constexpr int kPatienceMs = 600000;

void Say(const char* word, int number = 0) {
    if (number == 0) {
        std::printf("%s\n", word);
    } else {
        std::printf("%s %d\n", word, number);
    }
    std::fflush(stdout);
}

std::string Heard() {
    std::string line;
    std::getline(std::cin, line);
    return line;
}

// The batch's first storage pass that reaches its third insert stops there until the
// controller says go on.
void Hold(QList<int>& holdAt, int batch) {
    if (!holdAt.contains(batch)) {
        SetStatementObserver({});
        return;
    }
    SetStatementObserver([&holdAt, batch, inserts = 0](const QString& statement) mutable {
        if (statement.startsWith(u"INSERT INTO BallotImages") && ++inserts == 3 &&
            holdAt.removeOne(batch)) {
            Say(soak::kStoring, batch);
            Heard();
        }
    });
}

// Scans the batch again and again until it is closed.
void ScanUntilClosed(HeadlessStation& station, SoakStationRun& run, int batch) {
    const QDeadlineTimer deadline(kPatienceMs);
    for (;;) {
        Hold(run.holdAt, batch);
        const HeadlessStation::Outcome outcome = station.ScanBatch(qint16(batch), run.sheets);
        SetStatementObserver({});
        switch (outcome) {
            case HeadlessStation::Outcome::Closed:
                Say(soak::kStored, batch);
                return;
            case HeadlessStation::Outcome::Lost:
                Say(soak::kLost, batch);
                break;
            case HeadlessStation::Outcome::Refused:
                // The database has not answered; the operator tries again in a moment.
                QTest::qWait(250);
                break;
        }
        if (deadline.hasExpired()) {
            throw std::runtime_error("batch " + std::to_string(batch) + " was never closed");
        }
    }
}

}  // namespace

int RunSoakStation(const SoakStationRun& given) {
    SoakStationRun run = given;
    HeadlessStation::MakeSheets(qint16(run.batches), run.sheets);
    HeadlessStation station(qint16(run.systemId), QStringLiteral("DSN=Lindhollow;"));
    if (!station.Start().cmdStartBatch->isEnabled()) {
        std::fprintf(stderr, "station %d did not load\n", run.systemId);
        return 1;
    }
    Say(soak::kReady);
    if (Heard() != soak::kGo) {
        return 1;
    }
    for (int batch = 1; batch <= run.batches; ++batch) {
        ScanUntilClosed(station, run, batch);
    }
    Say(soak::kScanned, station.FilesWrong(qint16(run.batches), run.sheets));
    if (Heard() != soak::kClose) {
        return 1;
    }
    station.Close();
    Say(soak::kDone);
    return 0;
}
