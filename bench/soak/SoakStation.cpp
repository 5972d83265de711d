#include "SoakStation.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>

#include "SoakProtocol.h"
#include "audit/AuditLog.h"
#include "controls/ScannerControls.h"
#include "database/StatementObserver.h"
#include "shell/StationSettingsStore.h"
#include "shell/VrelScan.h"
#include "support/ScriptedDialogs.h"

namespace {

// The longest a scanner run is waited for, and a batch tried again while the database is away.
constexpr int kPatienceMs = 600000;

void Say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

std::string Heard() {
    std::string line;
    std::getline(std::cin, line);
    return line;
}

// Runs the event loop until `done` holds, sleeping until each next event as the station's own
// card wait does, so that no polling interval paces the stations; false after `ms`.
template <typename Condition>
bool WaitUntil(Condition done, int ms) {
    const QDeadlineTimer deadline(ms);
    QTimer wake;  // to notice the deadline when nothing else happens
    wake.start(100);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void Copy(const QString& from, const QString& to) {
    QFile::remove(to);
    if (!QFile::copy(from, to)) {
        throw std::runtime_error("cannot copy " + from.toStdString() + " to " + to.toStdString());
    }
}

void WriteSettings(const SoakStationRun& run, const QString& home) {
    const QString ini = home + QStringLiteral("/scanner.ini");
    QFile scanner(ini);
    if (!scanner.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw std::runtime_error("cannot write " + ini.toStdString());
    }
    scanner.write(
        "[KSCAN]\nSource = disk\nCardSlot = cards\nFeeder = feeder\n"
        "OutputTray = tray\n\n[KImgp]\nEndorser = yes\n");
    scanner.close();
    for (const char* folder : {"cards", "feeder", "tray", "intray"}) {
        QDir(home).mkpath(QLatin1StringView(folder));
    }
    const std::unique_ptr<QSettings> store = OpenStationSettingsStore();
    store->setValue(QStringLiteral("ElectionSettings/DSNCONNECTSTR"), "DSN=Lindhollow;");
    store->setValue(QStringLiteral("ElectionSettings/SQLCONNECTSTR"), "DSN=Lindhollow;");
    store->setValue(QStringLiteral("ElectionSettings/INTRAY"), home + QStringLiteral("/intray/"));
    store->setValue(QStringLiteral("ElectionSettings/BALLOTSIZE"), QStringLiteral("11"));
    store->setValue(QStringLiteral("SystemSettings/SYSTEM_ID"), QString::number(run.systemId));
    store->setValue(QStringLiteral("SystemSettings/SYSTEM_TYPE"), QStringLiteral("1"));
    store->setValue(QStringLiteral("SystemSettings/SCANNER_INI"), ini);
    store->setValue(QStringLiteral("SystemSettings/AUDIT_LOG_FILE"),
                    home + QStringLiteral("/audit.jsonl"));
}

// What the operator does at the station: puts paper in and clicks, answering every box with its
// default button, OK in "Scan Ender Card".
class Operator {
  public:
    Operator(const SoakStationRun& run, const QString& home, VrelScan& window,
             ScriptedDialogs& dialogs)
        : run_(run), home_(home), window_(window), dialogs_(dialogs) {}

    // Scans the batch again and again until it is closed.
    void ScanBatch(int batch) {
        QDeadlineTimer deadline(kPatienceMs);
        while (!Attempt(batch)) {
            if (deadline.hasExpired()) {
                throw std::runtime_error("batch " + std::to_string(batch) + " was never closed");
            }
        }
    }

  private:
    bool Attempt(int batch) {
        dialogs_.shown.clear();
        Copy(Paper(QStringLiteral("header-%1.tif").arg(batch)), Slot("cards/header.tif"));
        window_.cmdStartBatch->click();
        if (window_.Cycle().State().CurrentBatch != batch) {
            // The database has not answered; the number counts as used until it does.
            WaitUntil([] { return false; }, 250);
            return false;
        }
        for (int i = 0; i < run_.sheets; ++i) {
            Copy(Paper(QStringLiteral("ballot-%1.tif").arg(i % 4)),
                 Slot(QStringLiteral("feeder/%1.tif").arg(i, 6, 10, QChar(u'0'))));
        }
        window_.cmdStartScanner->click();
        if (!WaitUntil([this] { return window_.cmdStartScanner->isEnabled(); }, kPatienceMs)) {
            throw std::runtime_error("the run of batch " + std::to_string(batch) + " did not end");
        }
        Copy(Paper(QStringLiteral("ender.tif")), Slot("cards/ender.tif"));
        dialogs_.answers = {Dialogs::Answer::OK};
        Hold(batch);
        window_.cmdEndBatch->click();
        SetStatementObserver({});
        if (window_.lblBatch->text() == u"BATCH CLOSED") {
            Say(QStringLiteral("%1 %2").arg(QLatin1StringView(soak::kStored)).arg(batch));
            return true;
        }
        if (window_.lblBatch->text() == u"BATCH LOST") {
            Say(QStringLiteral("%1 %2").arg(QLatin1StringView(soak::kLost)).arg(batch));
            return false;
        }
        QStringList boxes;
        for (const ShownBox& box : dialogs_.shown) {
            boxes << describe(box);
        }
        throw std::runtime_error(
            "batch " + std::to_string(batch) +
            " ended neither closed nor lost: " + boxes.join(QStringLiteral(" / ")).toStdString());
    }

    // The batch's first storage pass that reaches its third insert stops there until the
    // controller says go on.
    void Hold(int batch) {
        if (!run_.holdAt.contains(batch)) {
            return;
        }
        SetStatementObserver([this, batch, inserts = 0](const QString& statement) mutable {
            if (statement.startsWith(u"INSERT INTO BallotImages") && ++inserts == 3 &&
                run_.holdAt.removeOne(batch)) {
                Say(QStringLiteral("%1 %2").arg(QLatin1StringView(soak::kStoring)).arg(batch));
                Heard();
            }
        });
    }

    QString Paper(const QString& name) const { return run_.paper + u'/' + name; }
    QString Slot(const QString& name) const { return home_ + u'/' + name; }

    SoakStationRun run_;
    QString home_;
    VrelScan& window_;
    ScriptedDialogs& dialogs_;
};

}  // namespace

int RunSoakStation(const SoakStationRun& run) {
    const QString home = QDir::homePath();
    WriteSettings(run, home);
    ScriptedDialogs dialogs;
    AuditLog audit(ConfiguredAuditLogFile());
    const ScannerControls controls = makeScannerControls();
    auto window = std::make_unique<VrelScan>(*controls.KScan1, *controls.KImgp1, dialogs, audit);
    // The login dialog is the login's business; the soak's operator is logged in.
    window->LOGIN_SUCCEEDED = true;
    window->USER_ID = QStringLiteral("soak%1").arg(run.systemId);
    window->Form_Load();
    if (window->Ended() || !window->cmdStartBatch->isEnabled()) {
        std::fprintf(stderr, "station %d did not load\n", run.systemId);
        return 1;
    }
    Say(QLatin1StringView(soak::kReady));
    if (Heard() != soak::kGo) {
        return 1;
    }
    Operator person(run, home, *window, dialogs);
    for (int batch = 1; batch <= run.batches; ++batch) {
        person.ScanBatch(batch);
    }
    Say(QLatin1StringView(soak::kScanned));
    if (Heard() != soak::kClose) {
        return 1;
    }
    window->close();
    window.reset();
    Say(QLatin1StringView(soak::kDone));
    return 0;
}
