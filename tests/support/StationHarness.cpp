#include "support/StationHarness.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "admin/Operators.h"
#include "database/Connection.h"
#include "database/LHDataAbstraction.h"
#include "database/StatementObserver.h"
#include "scanning/ImageNames.h"
#include "shell/StationSettingsStore.h"
#include "shell/frmLogin.h"

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

StationHarness::StationHarness() : database(MakeDataSource(QStringLiteral("SQLite"))) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    QDir(home.path()).mkpath(QStringLiteral("intray"));
    SetSettings({{"DSNCONNECTSTR", database->ConnectString()},
                 {"SQLCONNECTSTR", database->ConnectString()},
                 {"INTRAY", Intray()},
                 {"BALLOTSIZE", "11"},
                 {"SYSTEM_ID", "3"},
                 {"SYSTEM_TYPE", "1"},
                 {"SCANNER_INI", home.filePath(QStringLiteral("scanner.ini"))}});
    Connection connection;
    connection.Open(database->ConnectString());
    AddOperator(connection, QStringLiteral("demo"), QStringLiteral("demo"), 1, false);
    controls.KImgp1.setValue(KImgp::EndorserFitted, true);
    login.steps = {{LoginStep::Submit, QStringLiteral("demo"), QStringLiteral("demo")}};
}

StationHarness::~StationHarness() {
    window.reset();
    SetStatementObserver({});
}

void StationHarness::SetSettings(const std::map<QString, std::optional<QString>>& values) {
    const std::unique_ptr<QSettings> store = OpenStationSettingsStore();
    for (const auto& [name, value] : values) {
        const QString section = name.startsWith(u"SYSTEM_") || name == u"SCANNER_INI"
                                    ? QStringLiteral("SystemSettings/")
                                    : QStringLiteral("ElectionSettings/");
        if (value) {
            store->setValue(section + name, *value);
        } else {
            store->remove(section + name);
        }
    }
}

QString StationHarness::SettingsFile() const {
    return OpenStationSettingsStore()->fileName();
}

VrelScan& StationHarness::MakeWindow() {
    return MakeWindow(controls.KScan1, controls.KImgp1);
}

VrelScan& StationHarness::MakeWindow(KScan& scanner, KImgp& imaging) {
    window = std::make_unique<VrelScan>(scanner, imaging, dialogs);
    return *window;
}

void StationHarness::Start() {
    if (!window) {
        MakeWindow();
    }
    window->Form_Load();
    ASSERT_FALSE(window->Ended());
    ASSERT_EQ(StationRow(), QStringLiteral("ONLINE/STANDING BY"));
}

void StationHarness::RecordStatements() {
    recording_ = true;
    SetStatementObserver([this](const QString& statement) { statements.append(statement); });
}

template <typename Action>
auto StationHarness::Unrecorded(Action action) {
    SetStatementObserver({});
    const auto result = action();
    if (recording_) {
        RecordStatements();
    }
    return result;
}

QString StationHarness::Query(const QString& query) {
    return Unrecorded([&] { return QueryOn(*database, query); });
}

void StationHarness::Execute(const QString& statement) {
    Unrecorded([&] { return ExecuteOn(*database, statement); });
}

QString StationHarness::StationRow() {
    return Query(QStringLiteral(
        "SELECT STATUS || '/' || CURRENTTASK AS v FROM SystemStatus WHERE SYSTEMID = 3"));
}

void StationHarness::OpenBatch(qint16 batchNo) {
    VrelScan& w = *window;
    BatchState& b = w.Cycle().State();
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
