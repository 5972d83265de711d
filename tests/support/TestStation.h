#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>

#include "audit/AuditLog.h"
#include "shell/VrelScan.h"
#include "support/FakeScannerControls.h"
#include "support/QtPrinting.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDataSource.h"
#include "support/TestScanner.h"

class frmLogin;

// What the operator does in the login dialog.
struct LoginStep {
    enum Kind { Submit, Escape, CloseBox };
    Kind kind;
    QString user{};
    QString password{};
};

// Plays its steps on the login dialog each time one is shown modally, from within the dialog's
// modal loop. A dialog still open after the last step is closed, as with its close box, so that a
// test never hangs; leftOpen tells.
class LoginOperator : public QObject {
    Q_OBJECT

  public:
    explicit LoginOperator(QList<LoginStep> steps = {});

    QList<LoginStep> steps;
    int shown = 0;
    bool leftOpen = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Play(frmLogin* dialog);
};

// The names of the window's batch and scanner buttons that are enabled, in the form's order.
QString EnabledButtons(const VrelScan& window);

// One station under test, in the temporary home of its scanner: the settings of station 3,
// type 1, 11-inch ballots, its audit log in the home; a counting-centre database of the given kind
// ("SQLite" or "MariaDB") with the operator demo/demo, whom the login operator logs in; scripted
// dialogs; and the main window on the recording scanner fakes or on the real disk-import scanner,
// whose card slot, feeder and output tray are folders of the home.
class TestStation {
  public:
    enum class Scanner { Fake, DiskImport };

    explicit TestStation(const QString& databaseKind = QStringLiteral("SQLite"),
                         Scanner scanner = Scanner::Fake);
    // On a database set up by the test, such as a MariaDB server it kills and starts again.
    TestStation(std::unique_ptr<TestDataSource> centre, Scanner scanner);
    ~TestStation();

    // Rewrites settings: a text stores the value, nullopt removes it.
    void SetSettings(const std::map<QString, std::optional<QString>>& values);
    QString SettingsFile() const;

    QString Intray() const { return home.filePath(QStringLiteral("intray/")); }
    QString CardSlot() const { return home.filePath(QStringLiteral("slot/")); }
    QString Feeder() const { return home.filePath(QStringLiteral("feeder/")); }
    QString BatchFolder(qint16 batchNo) const;
    QString AuditLogFile() const { return home.filePath(QStringLiteral("audit.jsonl")); }
    // The file names in a folder, sorted.
    static QStringList FilesIn(const QString& folder);

    // A new window on the station's scanner and a new audit log where the settings name it, the
    // load step not run.
    VrelScan& MakeWindow();
    // The load step of the window, made first when there is none; throws when it ends the
    // program or leaves the station anything but standing by.
    VrelScan& Start();
    // The window vanishes as when the program is killed: neither its unload nor its terminate
    // step runs, and the scanner and the audit log file are let go.
    void Kill();
    // The window's batch cycle state.
    BatchState& Batch() { return window->Cycle().State(); }
    // A batch open as Start Batch leaves it: the batch row, its folder, the header image's
    // serial in record 0, the next image numbered 1, the buttons of an open batch.
    void OpenBatch(qint16 batchNo);

    // Every statement the station sends to the database from now on, into statements.
    void RecordStatements();
    // Column v of the first row of a query, every row's v, a statement that sets up rows; on
    // the station's database and never recorded.
    QString Query(const QString& query);
    QStringList QueryRows(const QString& query);
    int Execute(const QString& statement);
    // "STATUS/CURRENTTASK" of station 3's row.
    QString StationRow();
    // "ImageSeq BallotSN Status Error" of each image row of the batch, by sequence number.
    QStringList ImageRows(qint16 batchNo);
    // "ImageCount BallotCount closed|open" of the batch row; empty without one.
    QString BatchRow(qint16 batchNo);
    // The nine tally columns of the batch row, in their order, blank-separated.
    QString Tallies(qint16 batchNo);

    // Every box shown so far as "title | text | buttons | icon".
    QStringList Shown() const;
    // The audit log's records from the given one on, as "event {details}" with the details in
    // compact JSON.
    QStringList AuditTrail(qsizetype from = 0) const;

    // Declared first: the window holds on to the scanner until the station goes.
    TestScanner scanner;
    QTemporaryDir& home = scanner.temporary;
    std::unique_ptr<TestDataSource> database;
    FakeScannerControls fakes;
    ScriptedDialogs dialogs;
    LoginOperator login;
    QStringList statements;
    std::unique_ptr<AuditLog> audit;
    std::unique_ptr<VrelScan> window;

  private:
    template <typename Action>
    auto Unrecorded(Action action);
    // Each row's columns, blank-separated.
    QStringList Rows(const QString& query, std::initializer_list<const char*> columns);

    Scanner scanner_;
    bool recording_ = false;
};
