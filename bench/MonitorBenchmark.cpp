// The centre monitor at full scale: 20 stations x 999 batches x 500 images (ten million image
// rows) on a private MariaDB server with Debian's default buffer pool. Measures the statements of
// one refresh, as a ratio to the floor of one primary-key lookup measured in the same run, and the
// resident memory of lindhollow-monitor serving its page and endpoints meanwhile.
//   monitor-benchmark [STATIONS BATCHES IMAGES]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "CentreReader.h"
#include "admin/CentreDatabase.h"
#include "admin/MonitorAccount.h"
#include "database/Connection.h"
#include "database/Recordset.h"
#include "database/StatementObserver.h"
#include "support/MariaDbTestServer.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Step>
std::vector<double> Timed(int runs, Step step) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return ms;
}

// The centre as its stations leave it on the third day of the count: a batch every four minutes
// at every station, all closed but each station's last, which is open; one image in 100 waiting
// for repair, one in 200 discarded.
void Fill(Connection& db, int stations, int batches, int images) {
    db.Execute(QStringLiteral(
                   "INSERT INTO SystemStatus (SYSTEMID, SYSTEMTYPE, USERID, STATUS, CURRENTTASK) "
                   "SELECT seq, 1, CONCAT('clerk', seq), 'ONLINE', IF(seq % 3 = 0, 'STANDING BY', "
                   "'SCANNING') FROM seq_1_to_%1")
                   .arg(stations));
    db.Execute(
        QStringLiteral(
            "INSERT INTO Batches (SystemID, BatchNo, StartTime, UserID, EndTime, ImageCount, "
            "BallotCount, ACCEPTED, REJECTED, DELETED, HAVEWRITEINS, WAITINGREPAIR, WAITINGDUPE, "
            "HAVEBEENREPAIRED, HAVEBEENDUPED, WRITEINSCHECK) SELECT s.seq, b.seq, NOW() - "
            "INTERVAL (%2 - b.seq) * 240 SECOND - INTERVAL s.seq SECOND, CONCAT('clerk', s.seq), "
            "IF(b.seq = %2, NULL, NOW() - INTERVAL (%2 - b.seq) * 240 SECOND + INTERVAL 200 "
            "SECOND), %3, %3 - 2, "
            "0, 0, %3 DIV 200, 0, %3 DIV 100, 0, 0, 0, 0 FROM seq_1_to_%1 s, seq_1_to_%2 b")
            .arg(stations)
            .arg(batches)
            .arg(images));
    for (int station = 1; station <= stations; ++station) {
        db.Execute(QStringLiteral(
                       "INSERT INTO BallotImages (SystemID, BatchNo, ImageSeq, BallotSN, Status, "
                       "Error) SELECT %1, b.seq, i.seq, %1 * 100000000 + b.seq * 100000 + i.seq, "
                       "CASE WHEN i.seq = 0 THEN 9 WHEN i.seq = %3 - 1 THEN 10 WHEN i.seq % 100 = "
                       "7 THEN 1 WHEN i.seq % 200 = 13 THEN 2 ELSE 0 END, 0 FROM seq_1_to_%2 b, "
                       "seq_0_to_%4 i")
                       .arg(station)
                       .arg(batches)
                       .arg(images)
                       .arg(images - 1));
        std::fprintf(stderr, "station %d filled\n", station);
    }
    // The stations' audit anchors, at the start and the end of each batch, as the centre's schema
    // will hold them.
    db.Execute(QStringLiteral(
        "CREATE TABLE AuditAnchors (AnchorKey BIGINT AUTO_INCREMENT PRIMARY KEY, SystemID "
        "SMALLINT NOT NULL, LogID CHAR(32) NOT NULL, Sequence BIGINT NOT NULL, Hash CHAR(64) NOT "
        "NULL, AnchoredAt DATETIME NOT NULL, Account VARCHAR(128) NOT NULL, INDEX "
        "AuditAnchorsByStation (SystemID, LogID, Sequence))"));
    db.Execute(
        QStringLiteral("INSERT INTO AuditAnchors (SystemID, LogID, Sequence, Hash, "
                       "AnchoredAt, Account) SELECT b.SystemID, MD5(b.SystemID), b.BatchNo "
                       "* 2 + a.seq, SHA2(b.BatchNo, 256), UTC_TIMESTAMP() - INTERVAL "
                       "TIMESTAMPDIFF(SECOND, b.StartTime, NOW()) SECOND + INTERVAL a.seq * 201 "
                       "SECOND, 'station' FROM Batches b, seq_0_to_1 a ORDER BY b.BatchNo, a.seq, "
                       "b.SystemID"));
    db.Execute(QStringLiteral("ANALYZE TABLE Batches, BallotImages, SystemStatus, AuditAnchors"));
}

long ResidentKilobytes(qint64 pid, const char* field) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(qstrlen(field)).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const int stations = argc > 3 ? std::atoi(argv[1]) : 20;
    const int batches = argc > 3 ? std::atoi(argv[2]) : 999;
    const int images = argc > 3 ? std::atoi(argv[3]) : 500;
    MariaDbTestServer server(MariaDbTestServer::Options{
        .defaultsFile = {},
        .arguments = {"--lower-case-table-names=1", "--innodb-buffer-pool-size=128M"}});
    Connection admin;
    admin.Open(server.AdministratorConnectString());
    CreateCentreDatabase(admin, QStringLiteral("centre"));
    QElapsedTimer filling;
    filling.start();
    Fill(admin, stations, batches, images);
    std::printf("%d image rows made in %.0f s\n", stations * batches * images,
                double(filling.elapsed()) / 1000);
    QStringList granted;
    const QString password =
        AddMonitorAccount(admin, QStringLiteral("centre"), QStringLiteral("monitor"),
                          QStringLiteral("%"), false, granted);
    const QString connect = QStringLiteral(
                                "Driver=MariaDB Unicode;SERVER=127.0.0.1;PORT=%1;"
                                "DATABASE=centre;USER=monitor;PASSWORD=%2;OPTION=2")
                                .arg(server.Port())
                                .arg(password);
    Connection monitor;
    monitor.Open(connect);
    CentreReader reader(monitor);
    const std::vector<double> floor = Timed(50, [&] {
        Recordset row;
        row.Open(QStringLiteral("SELECT StartTime FROM Batches WHERE SystemID = 7 AND BatchNo = "
                                "500"),
                 monitor);
    });
    QElapsedTimer first;
    first.start();
    reader.Read(QDateTime::currentDateTime());
    std::printf("first refresh on a new connection: %.1f ms\n", double(first.nsecsElapsed()) / 1e6);
    const std::vector<double> refresh =
        Timed(30, [&] { reader.Read(QDateTime::currentDateTime()); });
    const double floorMs = Median(floor);
    QStringList statements;
    SetStatementObserver([&](const QString& statement) { statements << statement; });
    reader.Read(QDateTime::currentDateTime());
    SetStatementObserver({});
    for (const QString& statement : statements) {
        const std::vector<double> ms = Timed(20, [&] {
            Recordset rows;
            for (rows.Open(statement, monitor); !rows.Eof(); rows.MoveNext()) {
            }
        });
        std::printf("%7.2f ms  %s\n", Median(ms), qPrintable(statement.left(150)));
        std::fflush(stdout);
    }
    std::printf(
        "refresh, all statements: median %.1f ms, max %.1f ms (%.0f x the floor of "
        "%.2f ms, one primary-key lookup)\n",
        Median(refresh), *std::max_element(refresh.begin(), refresh.end()),
        Median(refresh) / floorMs, floorMs);

    QFile connectFile(QStringLiteral("/tmp/monitor-benchmark.connect"));
    connectFile.open(QIODevice::WriteOnly);
    connectFile.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    connectFile.write(connect.toUtf8() + '\n');
    connectFile.close();
    QProcess service;
    service.start(
        QStringLiteral(LINDHOLLOW_MONITOR),
        {"--connect-file", connectFile.fileName(), "--listen", "127.0.0.1:0", "--refresh", "1"});
    service.waitForReadyRead(10000);
    const QString url = QString::fromUtf8(service.readLine()).section(u' ', -1).trimmed();
    QProcess client;
    for (int i = 0; i < 60; ++i) {
        client.start(QStringLiteral("curl"),
                     {"-s", "-o", "/dev/null", url + "api/overview", url + "metrics",
                      url + "chart.js", url + "api/batches?since=2000-01-01T00:00:00"});
        client.waitForFinished(30000);
    }
    std::printf(
        "lindhollow-monitor after 60 rounds of requests: resident %ld kB, "
        "peak %ld kB\n",
        ResidentKilobytes(service.processId(), "VmRSS:"),
        ResidentKilobytes(service.processId(), "VmHWM:"));
    service.terminate();
    service.waitForFinished(10000);
    QFile::remove(connectFile.fileName());
    return 0;
}
