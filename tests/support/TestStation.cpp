#include "support/TestStation.h"

#include <QApplication>
#include <QDir>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "admin/Operators.h"
#include "audit/AuditLogFile.h"
#include "controls/KScan.h"
#include "database/Connection.h"
#include "database/LHDataAbstraction.h"
#include "database/Recordset.h"
#include "database/StatementObserver.h"
#include "images/ImageNames.h"
#include "settings/StationSettingsStore.h"
#include "shell/frmLogin.h"

namespace {

// Windows whose program was killed: kept, never destroyed, never touched again. The list itself
// outlives the exit handlers, so that the windows stay reachable to the leak checker.
std::vector<VrelScan*>& KilledWindows() {
    static auto* windows = new std::vector<VrelScan*>;
    return *windows;
}

}  // namespace

QString EnabledButtons(const VrelScan& window) {
    QStringList enabled;
    for (const QPushButton* button : {window.cmdStartBatch, window.cmdEndBatch,
                                      window.cmdStartScanner, window.cmdStopScanner}) {
        if (button->isEnabled()) {
            enabled.append(button->objectName());
        }
    }
    return enabled.join(u' ');
}

LoginOperator::LoginOperator(QList<LoginStep> steps) : steps(std::move(steps)) {
    qApp->installEventFilter(this);
}

bool LoginOperator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        auto* dialog = qobject_cast<frmLogin*>(watched);
        if (dialog && dialog->isModal()) {
            ++shown;
            // Once the dialog's modal loop runs.
            QTimer::singleShot(0, dialog, [this, dialog] { Play(dialog); });
        }
    }
    return false;
}

void LoginOperator::Play(frmLogin* dialog) {
    for (const LoginStep& step : steps) {
        if (!dialog->isVisible()) {
            return;
        }
        switch (step.kind) {
            case LoginStep::Submit:
                dialog->txtUserName->setText(step.user);
                dialog->txtPassword->setText(step.password);
                dialog->cmdOK->click();
                break;
            case LoginStep::Escape:
                QTest::keyClick(dialog->txtUserName, Qt::Key_Escape);
                break;
            case LoginStep::CloseBox:
                dialog->close();
                break;
        }
    }
    if (dialog->isVisible()) {
        leftOpen = true;
        dialog->close();
    }
}

TestStation::TestStation(const QString& databaseKind, Scanner scanner)
    : TestStation(MakeDataSource(databaseKind), scanner) {}

TestStation::TestStation(std::unique_ptr<TestDataSource> centre, Scanner scanner)
    : scanner(QStringLiteral("Source = disk\nCardSlot = slot\nFeeder = feeder\nOutputTray = tray"),
              QStringLiteral("Endorser = yes")),
      database(std::move(centre)),
      scanner_(scanner) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    SetSettings({{"DSNCONNECTSTR", database->ConnectString()},
                 {"SQLCONNECTSTR", database->ConnectString()},
                 {"INTRAY", Intray()},
                 {"BALLOTSIZE", "11"},
                 {"SYSTEM_ID", "3"},
                 {"SYSTEM_TYPE", "1"},
                 {"SCANNER_INI", this->scanner.ini},
                 {"AUDIT_LOG_FILE", AuditLogFile()}});
    Connection connection;
    connection.Open(database->ConnectString());
    AddOperator(connection, QStringLiteral("demo"), QStringLiteral("demo"), 1, false);
    fakes.KImgp1.setValue(KImgp::EndorserFitted, true);
    login.steps = {{LoginStep::Submit, QStringLiteral("demo"), QStringLiteral("demo")}};
}

TestStation::~TestStation() {
    if (window) {
        window->close();
        window.reset();
    }
    SetStatementObserver({});
}

void TestStation::SetSettings(const std::map<QString, std::optional<QString>>& values) {
    const std::unique_ptr<QSettings> store = OpenStationSettingsStore();
    for (const auto& [name, value] : values) {
        const QString section =
            name.startsWith(u"SYSTEM_") || name == u"SCANNER_INI" || name == u"AUDIT_LOG_FILE"
                ? QStringLiteral("SystemSettings/")
                : QStringLiteral("ElectionSettings/");
        if (value) {
            store->setValue(section + name, *value);
        } else {
            store->remove(section + name);
        }
    }
}

QString TestStation::SettingsFile() const {
    return OpenStationSettingsStore()->fileName();
}

QString TestStation::BatchFolder(qint16 batchNo) const {
    return BatchFolderName(Intray(), 3, batchNo);
}

QStringList TestStation::FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

VrelScan& TestStation::MakeWindow() {
    window.reset();
    // Never the user's own state folder, also where a test has emptied the settings.
    const QString configured = ConfiguredAuditLogFile();
    audit = std::make_unique<AuditLog>(configured.isEmpty() ? AuditLogFile() : configured);
    if (scanner_ == Scanner::DiskImport) {
        window = std::make_unique<VrelScan>(scanner.KScan1, scanner.KImgp1, dialogs, *audit);
    } else {
        window = std::make_unique<VrelScan>(fakes.KScan1, fakes.KImgp1, dialogs, *audit);
    }
    return *window;
}

VrelScan& TestStation::Start() {
    if (!window) {
        MakeWindow();
    }
    window->Form_Load();
    if (window->Ended()) {
        throw std::runtime_error("the load step ended the program");
    }
    if (const QString row = StationRow(); row != u"ONLINE/STANDING BY") {
        throw std::runtime_error("the station is " + row.toStdString() + " after its load step");
    }
    return *window;
}

void TestStation::Kill() {
    if (scanner_ == Scanner::DiskImport) {
        scanner.KScan1.write(KScan::Action, KScan::Release);
    }
    QObject::disconnect(&window->KScan1, nullptr, window.get(), nullptr);
    window->hide();
    KilledWindows().push_back(window.release());
    audit.reset();
}

void TestStation::OpenBatch(qint16 batchNo) {
    VrelScan& w = *window;
    BatchState& b = Batch();
    CreateBatch(w.DSNCONNECTSTR, batchNo, w.SYSTEM_ID, w.USER_ID);
    b.CurrentBatch = batchNo;
    b.BatchFolder = BatchFolderName(w.INTRAY, w.SYSTEM_ID, batchNo);
    QDir().mkpath(b.BatchFolder);
    b.BatchImages.assign(BatchImagesSize, BatchImage{});
    b.BatchImages[0].Serial = ImageSerial(w.SYSTEM_ID, batchNo, 0).toInt();
    w.Cycle().SetMode(StationMode::BatchOpen);
    w.lblImageCount->setText(QStringLiteral("Image Count: 0"));
    b.ImageCounter = 1;
    b.NextImageSerial = ImageSerial(w.SYSTEM_ID, batchNo, 1);
    b.NextImageFile = ImageFile(b.BatchFolder, b.NextImageSerial);
}

void TestStation::RecordStatements() {
    recording_ = true;
    SetStatementObserver([this](const QString& statement) { statements.append(statement); });
}

// A test's own statement observer stays in place; the recording one pauses.
template <typename Action>
auto TestStation::Unrecorded(Action action) {
    if (!recording_) {
        return action();
    }
    SetStatementObserver({});
    const auto result = action();
    RecordStatements();
    return result;
}

QString TestStation::Query(const QString& query) {
    return Unrecorded([&] { return QueryOn(*database, query); });
}

QStringList TestStation::QueryRows(const QString& query) {
    return Rows(query, {"v"});
}

QStringList TestStation::Rows(const QString& query, std::initializer_list<const char*> columns) {
    return Unrecorded([&] {
        Connection connection;
        connection.Open(database->ConnectString());
        Recordset rows;
        rows.Open(query, connection);
        QStringList values;
        for (; !rows.Eof(); rows.MoveNext()) {
            QStringList row;
            for (const char* column : columns) {
                row.append(rows.Fields(QLatin1StringView(column)).Value().toString());
            }
            values.append(row.join(u' '));
        }
        return values;
    });
}

int TestStation::Execute(const QString& statement) {
    return Unrecorded([&] { return ExecuteOn(*database, statement); });
}

QString TestStation::StationRow() {
    return Query(QStringLiteral("SELECT STATUS AS v FROM SystemStatus WHERE SYSTEMID = 3")) + u'/' +
           Query(QStringLiteral("SELECT CURRENTTASK AS v FROM SystemStatus WHERE SYSTEMID = 3"));
}

QStringList TestStation::ImageRows(qint16 batchNo) {
    return Rows(QStringLiteral("SELECT ImageSeq, BallotSN, Status, Error FROM BallotImages WHERE "
                               "SystemID = 3 AND BatchNo = %1 ORDER BY ImageSeq")
                    .arg(batchNo),
                {"ImageSeq", "BallotSN", "Status", "Error"});
}

QString TestStation::BatchRow(qint16 batchNo) {
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

QString TestStation::Tallies(qint16 batchNo) {
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

QStringList TestStation::Shown() const {
    QStringList boxes;
    for (const ShownBox& box : dialogs.shown) {
        boxes.append(describe(box));
    }
    return boxes;
}

QStringList TestStation::AuditTrail(qsizetype from) const {
    QStringList trail;
    for (const audit::AuditRecord& record : audit::ReadAuditLog(AuditLogFile()).mid(from)) {
        trail.append(
            record.event + u' ' +
            QString::fromUtf8(QJsonDocument(record.details).toJson(QJsonDocument::Compact)));
    }
    return trail;
}
