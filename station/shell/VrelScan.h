#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "database/Connection.h"
#include "scanning/BatchCycle.h"
#include "scanning/BatchView.h"
#include "settings/StationSettings.h"

class AuditLog;
class ControlError;
class Dialogs;
class KImgp;
class KScan;
class QCheckBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

// The station's main window: its controls, its settings and login result, its start-up and
// shut-down. Its buttons and the scanner control's events go to the batch cycle
// (scanning/BatchCycle.h), which shows what happens through the window's BatchView side.
//
// Defined in VrelScanForm.cpp (the controls, their wiring, the view) and VrelScanLifecycle.cpp
// (the load, unload and terminate steps).
class VrelScan : public QWidget, private BatchView {
    Q_OBJECT
    // The settings and the login result under their own names, for other windows to read and
    // set by name.
    Q_PROPERTY(QString DSNCONNECTSTR MEMBER DSNCONNECTSTR)
    Q_PROPERTY(QString SQLCONNECTSTR MEMBER SQLCONNECTSTR)
    Q_PROPERTY(QString ORLAHOST MEMBER ORLAHOST)
    Q_PROPERTY(QString INTRAY MEMBER INTRAY)
    Q_PROPERTY(QString NAMES_FILENAME MEMBER NAMES_FILENAME)
    Q_PROPERTY(quint8 ELECTION_TYPE MEMBER ELECTION_TYPE)
    Q_PROPERTY(qint16 ELECTION_ID MEMBER ELECTION_ID)
    Q_PROPERTY(qint16 BALLOTSIZE MEMBER BALLOTSIZE)
    Q_PROPERTY(bool WEIGHTED_ELECTION MEMBER WEIGHTED_ELECTION)
    Q_PROPERTY(bool PROPORTIONAL_VOTING MEMBER PROPORTIONAL_VOTING)
    Q_PROPERTY(qint16 SYSTEM_ID MEMBER SYSTEM_ID)
    Q_PROPERTY(qint16 SYSTEM_TYPE MEMBER SYSTEM_TYPE)
    Q_PROPERTY(QString SCANNER_INI MEMBER SCANNER_INI)
    Q_PROPERTY(bool LOGIN_SUCCEEDED MEMBER LOGIN_SUCCEEDED)
    Q_PROPERTY(qint16 PRIVILEGE_LEVEL MEMBER PRIVILEGE_LEVEL)
    Q_PROPERTY(QString USER_ID MEMBER USER_ID)

  public:
    // The scanner controls, the dialogs and the audit log outlive the window. Every event of the
    // station goes to the audit log before the step that follows it; a log that cannot be
    // written is told to the operator once, and the station goes on.
    VrelScan(KScan& scanner, KImgp& imaging, Dialogs& dialogs, AuditLog& audit,
             QWidget* parent = nullptr);
    // The terminate step.
    ~VrelScan() override;

    // Filled by LoadStationSettings.
    StationSettings Settings;
    // Filled by frmLogin.
    LoginResult Login;
    // The same values under the names of the properties above.
    QString& DSNCONNECTSTR = Settings.DSNCONNECTSTR;
    QString& SQLCONNECTSTR = Settings.SQLCONNECTSTR;
    QString& ORLAHOST = Settings.ORLAHOST;
    QString& INTRAY = Settings.INTRAY;
    QString& NAMES_FILENAME = Settings.NAMES_FILENAME;
    quint8& ELECTION_TYPE = Settings.ELECTION_TYPE;
    qint16& ELECTION_ID = Settings.ELECTION_ID;
    qint16& BALLOTSIZE = Settings.BALLOTSIZE;
    bool& WEIGHTED_ELECTION = Settings.WEIGHTED_ELECTION;
    bool& PROPORTIONAL_VOTING = Settings.PROPORTIONAL_VOTING;
    qint16& SYSTEM_ID = Settings.SYSTEM_ID;
    qint16& SYSTEM_TYPE = Settings.SYSTEM_TYPE;
    QString& SCANNER_INI = Settings.SCANNER_INI;
    bool& LOGIN_SUCCEEDED = Login.LOGIN_SUCCEEDED;
    qint16& PRIVILEGE_LEVEL = Login.PRIVILEGE_LEVEL;
    QString& USER_ID = Login.USER_ID;

    // The load step: settings, login, buttons, scanner, registration, own connection, endorser,
    // removal of batches left open. It may end the program (see Ended).
    void Form_Load();
    // True once the program has been ended from within the load step; the window then runs
    // neither its unload nor its terminate step.
    bool Ended() const { return ended_; }

    // Controls.
    QGroupBox* frmEndorsePos;
    QCheckBox* chkActivateEndorser;
    QRadioButton* optFirst;
    QRadioButton* optSecond;
    QRadioButton* optThird;
    QRadioButton* OptFourth;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QGroupBox* frmBatchControl;
    QPushButton* cmdStartBatch;
    QPushButton* cmdEndBatch;
    QLabel* lblBatch;
    QGroupBox* frmScannerControl;
    QPushButton* cmdStartScanner;
    QPushButton* cmdStopScanner;
    QLabel* lblImageCount;
    QLabel* lblDB;
    QProgressBar* pbarDB;
    KScan& KScan1;
    KImgp& KImgp1;

    // The buttons' and the scanner control's handlers, passed on to the batch cycle.
    void cmdStartBatch_Click();
    void cmdEndBatch_Click();
    void cmdStartScanner_Click();
    void cmdStopScanner_Click();
    void KScan1_Event10();
    void KScan1_Event12();
    void KScan1_Event14();
    void KScan1_Event15(qint16& number, QString& description);
    bool StoreScannedBatchIntoDatabase();

    // The batch cycle, with the batch's run-time state.
    BatchCycle& Cycle() { return cycle_; }

    // The window's own connection (SQLCONNECTSTR), opened by the load step.
    std::unique_ptr<Connection> DbConnection;

  protected:
    // The unload step.
    void closeEvent(QCloseEvent* event) override;

  private:
    // Steps 1 to 9 of the load step; ControlError and other exceptions leave it for step 10.
    void LoadSteps();
    // The centre's tables and privileges that storing a batch needs: without one, the operator is
    // told which and what mends it, and no batch is started.
    void CheckCentre();
    // Ends the program: the caller returns at once, and the program's entry point returns
    // instead of showing the window.
    void End();

    // BatchView.
    void updateInterface(StationMode mode) override;
    void ShowBatch(const QString& caption, bool open) override;
    void ShowImageCount(const QString& caption) override;
    void StartProgress(qint32 steps) override;
    void AdvanceProgress() override;
    void ClearProgress() override;
    void FocusStartBatch() override;
    void FocusStartScanner() override;
    EndorserChoice Endorser() const override;
    void WaitForCardPage(const bool& pageDone) override;

    Dialogs& dialogs_;
    AuditLog& audit_;
    BatchCycle cycle_;
    bool ended_ = false;
    // The control that had the focus when a card scan took the buttons away.
    QPointer<QWidget> focusBeforeCardScan_;
};
