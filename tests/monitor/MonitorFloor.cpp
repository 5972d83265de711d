// A counting centre for the monitor's browser test: a private MariaDB server, the centre's
// database with the monitor's account, and headless stations that scan on command. Commands come
// one a line on standard input and each is answered with one line:
//   scan I        station I scans its next batch          -> closed N | lost N
//   open I B      station I's batch B row is created       -> ok
//   lose I B      ... and deleted, as a lost batch is      -> ok
//   write SQL     the monitor's account runs SQL           -> refused | accepted
//   keep I B      how many of station I's batch B images   -> kept N FOLDER
//                 the centre keeps; FOLDER the station's
//   forget I B    the centre's copies of them are removed,  -> ok
//                 as for a batch stored before it kept them
//   kill, restart the server dies at once, or comes back   -> ok
// The first line it prints is "monitor CONNECT-STRING".

#include <QApplication>
#include <cstdio>
#include <iostream>
#include <string>

#include "admin/MonitorAccount.h"
#include "database/Connection.h"
#include "database/LHDataAbstraction.h"
#include "support/MariaDbTestServer.h"
#include "support/ScanningFloor.h"
#include "support/TestDataSource.h"

namespace {

QString Answer(const QStringList& command, ScanningFloor& floor, const QString& stations,
               const QString& monitor) {
    const QString verb = command.value(0);
    const int station = command.value(1).toInt();
    if (verb == u"scan") {
        const qint16 batch = floor.NextBatch(station - 1);
        const bool closed = floor.ScanNextBatch(station - 1) == HeadlessStation::Outcome::Closed;
        return QStringLiteral("%1 %2").arg(closed ? "closed" : "lost").arg(batch);
    }
    if (verb == u"open") {
        CreateBatch(stations, qint16(command.value(2).toInt()), qint16(station),
                    QStringLiteral("demo"));
    } else if (verb == u"lose") {
        DeleteBatch(stations, qint16(station), qint16(command.value(2).toInt()));
    } else if (verb == u"write") {
        try {
            Connection connection;
            connection.Open(monitor);
            connection.Execute(command.mid(1).join(u' '));
            return QStringLiteral("accepted");
        } catch (const std::exception&) {
            return QStringLiteral("refused");
        }
    } else if (verb == u"keep") {
        // How many of the batch's images the centre keeps, as its station stored them.
        const int batch = command.value(2).toInt();
        return QStringLiteral("kept %1 %2")
            .arg(QueryOn(stations, QStringLiteral("SELECT Count(*) AS v FROM ImageFiles WHERE "
                                                  "SystemID = %1 AND BatchNo = %2")
                                       .arg(station)
                                       .arg(batch)),
                 floor.Station(station - 1).BatchFolder(qint16(batch)));
    } else if (verb == u"forget") {
        ExecuteOn(stations,
                  QStringLiteral("DELETE FROM ImageFiles WHERE SystemID = %1 AND BatchNo = %2")
                      .arg(station)
                      .arg(command.value(2).toInt()));
    } else if (verb == u"kill") {
        MariaDbTestServer::Instance().Kill();
    } else if (verb == u"restart") {
        MariaDbTestServer::Instance().Restart();
    } else {
        return QStringLiteral("unknown command");
    }
    return QStringLiteral("ok");
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int stationCount = argc > 1 ? std::atoi(argv[1]) : 2;
    const int ballots = argc > 2 ? std::atoi(argv[2]) : 3;
    const auto source = MakeMariaDbDataSource();
    const QString database = QueryOn(*source, QStringLiteral("SELECT DATABASE() AS v"));
    QString password;
    {
        Connection admin;
        admin.Open(MariaDbTestServer::Instance().AdministratorConnectString());
        QStringList granted;
        password = AddMonitorAccount(admin, database, QStringLiteral("monitor"),
                                     QStringLiteral("%"), false, granted);
    }
    const QString monitor = QStringLiteral(
                                "Driver=MariaDB Unicode;SERVER=127.0.0.1;PORT=%1;DATABASE=%2;"
                                "USER=monitor;PASSWORD=%3;OPTION=2")
                                .arg(MariaDbTestServer::Instance().Port())
                                .arg(database, password);
    ScanningFloor floor(source->ConnectString(), stationCount, ballots);
    std::printf("monitor %s\n", qPrintable(monitor));
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line) && line != "quit") {
        const QStringList command = QString::fromStdString(line).split(u' ', Qt::SkipEmptyParts);
        std::printf("%s\n", qPrintable(Answer(command, floor, source->ConnectString(), monitor)));
        std::fflush(stdout);
    }
    return 0;
}
