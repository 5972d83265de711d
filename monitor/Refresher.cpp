#include "Refresher.h"

#include <cstdio>

#include "CentreReader.h"
#include "database/Connection.h"

Refresher::Session::Session() = default;
Refresher::Session::~Session() = default;

Refresher::Refresher(QString connectString, std::chrono::milliseconds period)
    : connectString_(std::move(connectString)), period_(period) {
    view_.countingSince = QDateTime::currentDateTime();
    thread_ = std::thread([this] { Run(); });
}

Refresher::~Refresher() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

CentreView Refresher::Current() const {
    std::lock_guard lock(mutex_);
    return AsShownAt(view_, QDateTime::currentDateTime(),
                     std::max<qint64>(5 * period_.count(), 15000));
}

QList<BatchRow> Refresher::BatchesSince(const QDateTime& since) const {
    // One such reading at a time, however many clients ask.
    std::lock_guard lock(batchesMutex_);
    Connection connection;
    connection.Open(connectString_);
    return CentreReader(connection)
        .BatchesSince(since, kMostBatches, CentreReader::Order::OldestFirst);
}

void Refresher::Run() {
    // The connection belongs to this thread, as Qt's database connections must.
    Session session;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        const QDateTime now = QDateTime::currentDateTime();
        const auto started = std::chrono::steady_clock::now();
        std::optional<CentreSnapshot> snapshot = Read(session, now);
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - started);
        lock.lock();
        Record(std::move(snapshot), now, elapsed.count());
        wake_.wait_for(lock, period_, [this] { return stopping_; });
    }
}

std::optional<CentreSnapshot> Refresher::Read(Session& session, const QDateTime& now) {
    try {
        if (!session.connection) {
            session.connection = std::make_unique<Connection>();
            session.connection->Open(connectString_);
            session.reader = std::make_unique<CentreReader>(*session.connection);
        }
        CentreSnapshot snapshot = session.reader->Read(now);
        snapshot.totals.batchesLost = lost_.Count(
            snapshot.stations,
            [&reader = *session.reader](int station, int batch, const QDateTime& start) {
                return reader.BatchStillThere(station, batch, start);
            });
        statusChanges_.Mark(snapshot.stations, now);
        return snapshot;
    } catch (const std::exception& error) {
        // The driver's text names the server, never the password; it goes to the log only, once
        // an outage. Only this thread writes the view, so it reads it without the lock.
        if (view_.databaseUp || view_.refreshes == 0) {
            std::fprintf(stderr, "lindhollow-monitor: the centre's database cannot be read: %s\n",
                         error.what());
        }
        session.reader.reset();
        session.connection.reset();
        return std::nullopt;
    }
}

void Refresher::Record(std::optional<CentreSnapshot> snapshot, const QDateTime& now,
                       qint64 milliseconds) {
    if (snapshot && !view_.databaseUp && view_.refreshes > 0) {
        std::fprintf(stderr, "lindhollow-monitor: the centre's database answers again\n");
    }
    RecordReading(view_, std::move(snapshot), now, milliseconds);
}
