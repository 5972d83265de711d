#include "SoakCentre.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <stdexcept>
#include <vector>

#include "CentreAudit.h"
#include "SoakProtocol.h"
#include "admin/CentreDatabase.h"
#include "admin/StationAccounts.h"
#include "admin/UserDataSource.h"
#include "database/Connection.h"
#include "support/MariaDbTestServer.h"

namespace {

// The longest the stations are waited for, to load or to finish.
constexpr int kPatienceMs = 1800000;
// How long the server stays dead after a kill, so that every station meets the outage.
constexpr int kOutageMs = 1500;

// One station process and what it has said.
struct Station {
    int systemId = 0;
    std::unique_ptr<QProcess> process;
    QByteArray pending;
    bool ready = false;
    bool scanned = false;
    bool done = false;
    QByteArray errors;
};

class Centre {
  public:
    Centre(const SoakRun& run, const QString& program) : run_(run), program_(program) {
        if (!folder_.isValid()) {
            throw std::runtime_error("no temporary folder");
        }
        Connection administrator;
        administrator.Open(server_.AdministratorConnectString());
        CreateCentreDatabase(administrator, QStringLiteral("lindhollow"));
        for (int systemId = 1; systemId <= run.stations; ++systemId) {
            const QString home = folder_.filePath(QStringLiteral("station%1").arg(systemId));
            QDir().mkpath(home);
            // Each station connects with its own account, which may do only what a station does.
            const QString password = AddStationAccount(administrator, QStringLiteral("lindhollow"),
                                                       {qint16(systemId), "%"}, false);
            qputenv("ODBCINI", QFile::encodeName(home + QStringLiteral("/odbc.ini")));
            WriteMariaDbDataSource(QStringLiteral("Lindhollow"),
                                   {QStringLiteral("127.0.0.1"),
                                    server_.Port(),
                                    QStringLiteral("lindhollow"),
                                    StationAccount{qint16(systemId), "%"}.Name(),
                                    password,
                                    {}},
                                   false);
        }
    }

    SoakResult Run() {
        SoakResult result;
        for (int systemId = 1; systemId <= run_.stations; ++systemId) {
            Start(systemId);
        }
        Wait([this] { return AllOf(&Station::ready); }, "load");
        QElapsedTimer clock;
        clock.start();
        for (Station& station : stations_) {
            station.process->write(QByteArray(soak::kGo) + '\n');
        }
        Wait([this] { return AllOf(&Station::scanned); }, "scan");
        result.seconds = clock.nsecsElapsed() / 1e9;
        // The shift ends with the server up: every window closes as it would at any centre.
        for (Station& station : stations_) {
            station.process->write(QByteArray(soak::kClose) + '\n');
        }
        Wait([this] { return AllOf(&Station::done) && AllEnded(); }, "close");
        result.batchesLost = lost_;
        result.faults = faults_;
        for (const Station& station : stations_) {
            if (station.process->state() != QProcess::NotRunning) {
                station.process->kill();
                station.process->waitForFinished();
            } else if (station.process->exitCode() != 0) {
                result.faults << QStringLiteral("station %1 ended with %2: %3")
                                     .arg(station.systemId)
                                     .arg(station.process->exitCode())
                                     .arg(QString::fromLocal8Bit(station.errors));
            }
        }
        result.audit = AuditCentre(
            server_.AdministratorConnectString() + QStringLiteral("DATABASE=lindhollow"),
            std::vector<int>(run_.stations, run_.batches), run_.sheets,
            QStringLiteral("OFFLINE IDLE"));
        result.audit.filesWrong = filesWrong_;
        if (!result.audit.Clean()) {
            result.faults << QStringLiteral("the database does not hold what the stations closed");
        }
        result.kills = kills_;
        result.sheetsStored = qint64(run_.stations) * run_.batches * (run_.sheets + 2);
        if (kills_ != run_.kills) {
            result.faults << QStringLiteral("%1 kills of %2").arg(kills_).arg(run_.kills);
        }
        if (lost_ < kills_) {
            result.faults << QStringLiteral(
                                 "%1 kills, but only %2 batches were lost and scanned "
                                 "again")
                                 .arg(kills_)
                                 .arg(lost_);
        }
        return result;
    }

  private:
    // The kills are spread over the stations, one storage pass each, from batch 1 on.
    QStringList HoldAt(int systemId) const {
        QStringList batches;
        for (int kill = 0; kill < run_.kills; ++kill) {
            if (kill % run_.stations + 1 == systemId) {
                batches << QString::number(kill / run_.stations % run_.batches + 1);
            }
        }
        return batches;
    }

    void Start(int systemId) {
        Station& station = stations_.emplace_back();
        station.systemId = systemId;
        station.process = std::make_unique<QProcess>();
        const QString home = folder_.filePath(QStringLiteral("station%1").arg(systemId));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        environment.insert("XDG_CONFIG_HOME", home + QStringLiteral("/config"));
        environment.insert("ODBCINI", home + QStringLiteral("/odbc.ini"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        station.process->setProcessEnvironment(environment);
        station.process->start(
            program_, {"station", "--system-id", QString::number(systemId), "--batches",
                       QString::number(run_.batches), "--sheets", QString::number(run_.sheets),
                       "--hold-at", HoldAt(systemId).join(u',')});
    }

    bool AllOf(bool Station::*flag) const {
        for (const Station& station : stations_) {
            if (!(station.*flag)) {
                return false;
            }
        }
        return true;
    }
    bool AllEnded() const {
        for (const Station& station : stations_) {
            if (station.process->state() != QProcess::NotRunning) {
                return false;
            }
        }
        return true;
    }

    // Reads what the stations say and acts on it until `until` holds, or a station ends early.
    template <typename Condition>
    void Wait(Condition until, const char* what) {
        QDeadlineTimer deadline(kPatienceMs);
        while (!until()) {
            for (Station& station : stations_) {
                station.process->waitForReadyRead(5);
                Read(station);
                if (station.process->state() == QProcess::NotRunning && !station.done) {
                    faults_ << QStringLiteral("station %1 stopped before it could %2: %3")
                                   .arg(station.systemId)
                                   .arg(QLatin1StringView(what),
                                        QString::fromLocal8Bit(station.errors));
                    return;
                }
            }
            if (deadline.hasExpired()) {
                faults_ << QStringLiteral("the stations did not %1 in time")
                               .arg(QLatin1StringView(what));
                return;
            }
        }
    }

    void Read(Station& station) {
        station.pending += station.process->readAllStandardOutput();
        station.errors += station.process->readAllStandardError();
        for (qsizetype end = station.pending.indexOf('\n'); end >= 0;
             end = station.pending.indexOf('\n')) {
            const QByteArray line = station.pending.left(end).trimmed();
            station.pending.remove(0, end + 1);
            const QByteArray word = line.split(' ').front();
            if (word == soak::kReady) {
                station.ready = true;
            } else if (word == soak::kScanned) {
                station.scanned = true;
                filesWrong_ += line.split(' ').value(1).toInt();
            } else if (word == soak::kDone) {
                station.done = true;
            } else if (word == soak::kLost) {
                ++lost_;
            } else if (word == soak::kStoring) {
                // A power cut at the server in the middle of the station's storage pass.
                server_.Kill();
                ++kills_;
                station.process->write("go on\n");
                QThread::msleep(kOutageMs);
                server_.Restart();
            }
        }
    }

    SoakRun run_;
    QString program_;
    QTemporaryDir folder_;
    MariaDbTestServer server_{MariaDbTestServer::Options{}};
    std::vector<Station> stations_;
    QStringList faults_;
    int lost_ = 0;
    int filesWrong_ = 0;
    int kills_ = 0;
};

}  // namespace

SoakResult RunSoak(const SoakRun& run, const QString& program) {
    Centre centre(run, program);
    return centre.Run();
}
