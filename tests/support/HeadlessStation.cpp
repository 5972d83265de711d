#include "HeadlessStation.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "CentreAudit.h"
#include "images/ImageNames.h"
#include "settings/StationSettingsStore.h"
#include "support/MadeSheet.h"

namespace {

QString Sheet(const QStringList& args) {
    return MadeSheet(QStringLiteral(MAKE_SHEET_TOOL), args);
}

QStringList Header(qint16 batchNo) {
    return {"header", "--type", "-6", "--batch", QString::number(batchNo)};
}

// Four ballots in turn, straight and skewed, clean and noisy, all of which read cleanly.
QStringList Ballot(int i) {
    static const QList<QStringList> ballots = {{"ballot", "--marks", "1,5"},
                                               {"ballot", "--marks", "2,7,30"},
                                               {"ballot", "--marks", "3", "--skew", "2"},
                                               {"ballot", "--marks", "4,50,96", "--noise", "3"}};
    return ballots[i % ballots.size()];
}

const QStringList kEnder = {"ender"};

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

QString Home(const QTemporaryDir& home, const char* path) {
    return home.filePath(QLatin1StringView(path));
}

}  // namespace

HeadlessStation::HeadlessStation(qint16 systemId, const QString& connectString)
    : systemId_(systemId), connectString_(connectString) {
    setenv("LINDHOLLOW_LHDLL", LHDLL_LIBRARY, 1);
    for (const char* folder : {"intray", "paper/cards", "paper/feeder", "paper/tray"}) {
        QDir(home_.path()).mkpath(QLatin1StringView(folder));
    }
    QFile ini(Home(home_, "scanner.ini"));
    if (!ini.open(QIODevice::WriteOnly)) {
        throw std::runtime_error("cannot write the scanner initialisation file");
    }
    QTextStream(&ini) << "[KSCAN]\nSource = disk\nCardSlot = paper/cards\nFeeder = paper/feeder\n"
                         "OutputTray = paper/tray\n\n[KImgp]\nEndorser = yes\n";
}

HeadlessStation::~HeadlessStation() {
    Close();
}

void HeadlessStation::Close() {
    if (window_) {
        window_->close();
        window_.reset();
    }
}

VrelScan& HeadlessStation::Start() {
    Close();
    // The settings store is the process's one; it is read by the load step only.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home_.path());
    {
        const std::unique_ptr<QSettings> store = OpenStationSettingsStore();
        store->setValue(QStringLiteral("ElectionSettings/DSNCONNECTSTR"), connectString_);
        store->setValue(QStringLiteral("ElectionSettings/SQLCONNECTSTR"), connectString_);
        store->setValue(QStringLiteral("ElectionSettings/INTRAY"), Home(home_, "intray/"));
        store->setValue(QStringLiteral("ElectionSettings/BALLOTSIZE"), QStringLiteral("11"));
        store->setValue(QStringLiteral("SystemSettings/SYSTEM_ID"), QString::number(systemId_));
        store->setValue(QStringLiteral("SystemSettings/SYSTEM_TYPE"), QStringLiteral("1"));
        store->setValue(QStringLiteral("SystemSettings/SCANNER_INI"), Home(home_, "scanner.ini"));
        store->setValue(QStringLiteral("SystemSettings/AUDIT_LOG_FILE"),
                        Home(home_, "audit.jsonl"));
    }
    controls_ = makeScannerControls();
    audit_ = std::make_unique<AuditLog>(ConfiguredAuditLogFile());
    window_ = std::make_unique<VrelScan>(*controls_.KScan1, *controls_.KImgp1, dialogs_, *audit_);
    // The operator demo has logged in; the login itself is the login dialog's business.
    window_->LOGIN_SUCCEEDED = true;
    window_->USER_ID = QStringLiteral("demo");
    window_->Form_Load();
    if (window_->Ended()) {
        throw std::runtime_error("the load step of station " + std::to_string(systemId_) +
                                 " ended the program");
    }
    return *window_;
}

void HeadlessStation::MakeSheets(qint16 lastBatch, int ballots) {
    for (qint16 batch = 1; batch <= lastBatch; ++batch) {
        Sheet(Header(batch));
    }
    for (int i = 0; i < std::min(ballots, 4); ++i) {
        Sheet(Ballot(i));
    }
    Sheet(kEnder);
}

void HeadlessStation::Put(const QStringList& sheet, const QString& file) {
    // A card that a refused Start Batch left in the slot gives way to the next one.
    QFile::remove(file);
    if (!QFile::copy(Sheet(sheet), file)) {
        throw std::runtime_error("cannot put a sheet into " + file.toStdString());
    }
}

bool HeadlessStation::OpenBatch(qint16 batchNo) {
    Put(Header(batchNo), Home(home_, "paper/cards/card.tif"));
    window_->cmdStartBatch->click();
    return window_->Cycle().State().CurrentBatch == batchNo;
}

HeadlessStation::Outcome HeadlessStation::ScanBatch(qint16 batchNo, int ballots) {
    VrelScan& window = *window_;
    if (!OpenBatch(batchNo)) {
        return Outcome::Refused;
    }
    for (int i = 0; i < ballots; ++i) {
        Put(Ballot(i), Home(home_, "paper/feeder/") +
                           QStringLiteral("%1.tif").arg(++fed_, 6, 10, QChar(u'0')));
    }
    window.cmdStartScanner->click();
    // Generous: sixteen stations may share two cores.
    if (!WaitUntil([&window] { return window.cmdStartScanner->isEnabled(); }, 600000)) {
        throw std::runtime_error("the scanner run did not end");
    }
    Put(kEnder, Home(home_, "paper/cards/card.tif"));
    dialogs_.answers = {Dialogs::Answer::OK};
    QElapsedTimer ending;
    ending.start();
    window.cmdEndBatch->click();
    endBatchMilliseconds_ = ending.elapsed();
    const QString batch = window.lblBatch->text();
    if (batch == u"BATCH CLOSED") {
        return Outcome::Closed;
    }
    if (batch == u"BATCH LOST") {
        return Outcome::Lost;
    }
    throw std::runtime_error("batch " + std::to_string(batchNo) + " of station " +
                             std::to_string(systemId_) + " ended in \"" + batch.toStdString() +
                             "\": " + Shown().join(u'\n').toStdString());
}

QString HeadlessStation::BatchFolder(qint16 batchNo) const {
    return BatchFolderName(Home(home_, "intray/"), systemId_, batchNo);
}

int HeadlessStation::FilesWrong(qint16 lastBatch, int ballots) const {
    int wrong = 0;
    for (qint16 batch = 1; batch <= lastBatch; ++batch) {
        QStringList files;
        for (int sequence = 0; sequence < ballots + 2; ++sequence) {
            files.append(ImageSerial(systemId_, batch, sequence) + QStringLiteral(".tif"));
        }
        const QStringList found =
            QDir(BatchFolder(batch)).entryList({QStringLiteral("*")}, QDir::Files);
        wrong += Lacking(files, found) + Lacking(found, files);
    }
    return wrong;
}

QStringList HeadlessStation::Shown() const {
    QStringList boxes;
    for (const ShownBox& box : dialogs_.shown) {
        boxes.append(describe(box));
    }
    return boxes;
}
