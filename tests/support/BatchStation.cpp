#include "support/BatchStation.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTextStream>

#include "controls/KScan.h"
#include "database/Connection.h"
#include "database/Recordset.h"
#include "database/StatementObserver.h"
#include "scanning/ImageNames.h"
#include "shell/StationSettingsStore.h"

namespace {

// Windows whose program was killed: kept, never destroyed, never touched again. The list itself
// outlives the exit handlers, so that the windows stay reachable to the leak checker.
std::vector<VrelScan*>& KilledWindows() {
    static auto* windows = new std::vector<VrelScan*>;
    return *windows;
}

void WriteText(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    QTextStream(&file) << text;
}

}  // namespace

BatchStation::BatchStation(const QString& databaseKind, Scanner scanner)
    : BatchStation(MakeDataSource(databaseKind), scanner) {}

BatchStation::BatchStation(std::unique_ptr<TestDataSource> centre, Scanner scanner)
    : database(std::move(centre)), scanner_(scanner) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    for (const char* folder : {"intray", "paper/cards", "paper/feeder", "paper/tray"}) {
        QDir(home.path()).mkpath(QLatin1StringView(folder));
    }
    const QString ini = home.filePath(QStringLiteral("scanner.ini"));
    WriteText(ini, QStringLiteral("[KSCAN]\nSource = disk\nCardSlot = paper/cards\n"
                                  "Feeder = paper/feeder\nOutputTray = paper/tray\n\n"
                                  "[KImgp]\nEndorser = yes\n"));
    const std::unique_ptr<QSettings> store = OpenStationSettingsStore();
    store->setValue(QStringLiteral("ElectionSettings/DSNCONNECTSTR"), database->ConnectString());
    store->setValue(QStringLiteral("ElectionSettings/SQLCONNECTSTR"), database->ConnectString());
    store->setValue(QStringLiteral("ElectionSettings/INTRAY"), Intray());
    store->setValue(QStringLiteral("ElectionSettings/BALLOTSIZE"), QStringLiteral("11"));
    store->setValue(QStringLiteral("SystemSettings/SYSTEM_ID"), QStringLiteral("3"));
    store->setValue(QStringLiteral("SystemSettings/SYSTEM_TYPE"), QStringLiteral("1"));
    store->setValue(QStringLiteral("SystemSettings/SCANNER_INI"), ini);
    fakes.KImgp1.setValue(KImgp::EndorserFitted, true);
}

BatchStation::~BatchStation() {
    if (window) {
        window->close();
        window.reset();
    }
    SetStatementObserver({});
}

VrelScan& BatchStation::Start() {
    if (window) {
        window->close();
        window.reset();
    }
    if (scanner_ == Scanner::DiskImport) {
        disk_ = makeScannerControls();
        window = std::make_unique<VrelScan>(*disk_.KScan1, *disk_.KImgp1, dialogs);
    } else {
        window = std::make_unique<VrelScan>(fakes.KScan1, fakes.KImgp1, dialogs);
    }
    // The operator demo has logged in; the login itself is the login dialog's business.
    window->LOGIN_SUCCEEDED = true;
    window->USER_ID = QStringLiteral("demo");
    window->Form_Load();
    if (window->Ended()) {
        throw std::runtime_error("the load step ended the program");
    }
    return *window;
}

void BatchStation::Kill() {
    if (scanner_ == Scanner::DiskImport) {
        disk_.KScan1->write(KScan::Action, KScan::Release);
    }
    QObject::disconnect(&window->KScan1, nullptr, window.get(), nullptr);
    window->hide();
    KilledWindows().push_back(window.release());
}

QString BatchStation::BatchFolder(qint16 batchNo) const {
    return BatchFolderName(Intray(), 3, batchNo);
}

QStringList BatchStation::FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

QString BatchStation::Query(const QString& query) const {
    return QueryOn(*database, query);
}

QStringList BatchStation::QueryRows(const QString& query) const {
    Connection connection;
    connection.Open(database->ConnectString());
    Recordset rows;
    rows.Open(query, connection);
    QStringList values;
    for (; !rows.Eof(); rows.MoveNext()) {
        values.append(rows.Fields(QStringLiteral("v")).Value().toString());
    }
    return values;
}

int BatchStation::Execute(const QString& statement) const {
    return ExecuteOn(*database, statement);
}

QString BatchStation::StationRow() const {
    return Query(QStringLiteral("SELECT STATUS AS v FROM SystemStatus WHERE SYSTEMID = 3")) + u'/' +
           Query(QStringLiteral("SELECT CURRENTTASK AS v FROM SystemStatus WHERE SYSTEMID = 3"));
}

QStringList BatchStation::ImageRows(qint16 batchNo) const {
    Connection connection;
    connection.Open(database->ConnectString());
    Recordset rows;
    rows.Open(QStringLiteral("SELECT ImageSeq, BallotSN, Status, Error FROM BallotImages WHERE "
                             "SystemID = 3 AND BatchNo = %1 ORDER BY ImageSeq")
                  .arg(batchNo),
              connection);
    QStringList values;
    for (; !rows.Eof(); rows.MoveNext()) {
        QStringList row;
        for (const char* column : {"ImageSeq", "BallotSN", "Status", "Error"}) {
            row.append(rows.Fields(QLatin1StringView(column)).Value().toString());
        }
        values.append(row.join(u' '));
    }
    return values;
}

QString BatchStation::BatchRow(qint16 batchNo) const {
    const QString where =
        QStringLiteral(" FROM Batches WHERE SystemID = 3 AND BatchNo = %1").arg(batchNo);
    if (Query(QStringLiteral("SELECT BatchNo AS v") + where).isEmpty()) {
        return {};
    }
    return Query(QStringLiteral("SELECT ImageCount AS v") + where) + u' ' +
           Query(QStringLiteral("SELECT BallotCount AS v") + where) + u' ' +
           (Query(QStringLiteral("SELECT EndTime AS v") + where) == u"NULL"
                ? QStringLiteral("open")
                : QStringLiteral("closed"));
}

QString BatchStation::Tallies(qint16 batchNo) const {
    QStringList values;
    for (const char* column :
         {"ACCEPTED", "REJECTED", "DELETED", "HAVEWRITEINS", "WAITINGREPAIR", "WAITINGDUPE",
          "HAVEBEENREPAIRED", "HAVEBEENDUPED", "WRITEINSCHECK"}) {
        values.append(Query(QStringLiteral("SELECT %1 AS v FROM Batches WHERE SystemID = 3 AND "
                                           "BatchNo = %2")
                                .arg(QLatin1StringView(column))
                                .arg(batchNo)));
    }
    return values.join(u' ');
}

QStringList BatchStation::Shown() const {
    QStringList boxes;
    for (const ShownBox& box : dialogs.shown) {
        boxes.append(describe(box));
    }
    return boxes;
}
