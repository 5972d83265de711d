#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <optional>

#include "shell/VrelScan.h"
#include "support/FakeScannerControls.h"
#include "support/QtPrinting.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDataSource.h"

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

// One station under test: a settings file in a temporary home, an SQLite counting-centre
// database with the operator demo/demo, the recording scanner fakes, scripted dialogs and the
// main window. The settings are those of station 3, type 1, 11-inch ballots.
class StationHarness {
  public:
    StationHarness();
    ~StationHarness();

    // Rewrites settings: a text stores the value, nullopt removes it.
    void SetSettings(const std::map<QString, std::optional<QString>>& values);
    QString SettingsFile() const;
    QString Intray() const { return home.filePath(QStringLiteral("intray/")); }

    // The window on the recording fakes, or on other controls.
    VrelScan& MakeWindow();
    VrelScan& MakeWindow(KScan& scanner, KImgp& imaging);
    // The load step with the demo operator logging in; the window must not end.
    void Start();

    // Every statement the station sends to the database from now on.
    void RecordStatements();
    // Column v of the first row of a query on the station's database; not recorded.
    QString Query(const QString& query);
    // A statement that sets up rows; not recorded.
    void Execute(const QString& statement);
    // "STATUS/CURRENTTASK" of station 3's row.
    QString StationRow();

    // A batch open as Start Batch leaves it: the batch row, its folder, the header image's
    // serial in record 0, the next image numbered 1, the buttons of an open batch.
    void OpenBatch(qint16 batchNo);

    QTemporaryDir home;
    std::unique_ptr<TestDataSource> database;
    FakeScannerControls controls;
    ScriptedDialogs dialogs;
    LoginOperator login;
    QStringList statements;
    std::unique_ptr<VrelScan> window;

  private:
    template <typename Action>
    auto Unrecorded(Action action);

    bool recording_ = false;
};
