#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "database/Connection.h"
#include "scanning/BatchImage.h"
#include "scanning/LostBatches.h"
#include "shell/StationSettings.h"

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

// The station's main window and the owner of all its run-time state. Other windows read and set
// the settings and the login result by name, through the properties; the station's own code uses
// the typed records.
//
// Its handlers are defined by topic: the form and its controls in VrelScanForm.cpp, start-up and
// shut-down in VrelScanLifecycle.cpp, and the scanner runs and page events in
// station/scanning/ScannerRuns.cpp and PageEvents.cpp, and the batch cycle in
// station/scanning/BatchOpening.cpp, BatchStorage.cpp and BatchClosing.cpp.
class VrelScan : public QWidget {
    Q_OBJECT
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
    // The scanner controls and the dialogs outlive the window.
    VrelScan(KScan& scanner, KImgp& imaging, Dialogs& dialogs, QWidget* parent = nullptr);
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

    // Scanner runs.
    void cmdStartScanner_Click();
    void cmdStopScanner_Click();
    // Scanner control events: 10 a run starts, 12 page end, 14 page done, 15 scanner error.
    void KScan1_Event10();
    void KScan1_Event12();
    void KScan1_Event14();
    void KScan1_Event15(qint16& number, QString& description);
    // These handlers have no error trap of their own: a scanner control that refuses a write or
    // read inside them is reported here, as a scanner error, instead of ending the program.
    void ScannerControlFailed(const ControlError& error);

    // The batch cycle: opening with the header card, closing with the ender card, and storing
    // every image of the batch as a database row (false when an error stopped the pass).
    void cmdStartBatch_Click();
    void cmdEndBatch_Click();
    bool StoreScannedBatchIntoDatabase();

    // Run-time state, as the station's handlers share it. Public so that tests can put a batch
    // in place.
    std::unique_ptr<Connection> DbConnection;  // the window's own connection (SQLCONNECTSTR)
    qint16 CurrentBatch = 0;                   // 0: no batch open
    std::vector<BatchImage> BatchImages;       // allocated when a batch opens
    QString BatchFolder;
    QString NextImageFile;    // the file the next page is written to
    QString NextImageSerial;  // the serial of the next image
    qint32 ImageCounter = 0;  // sequence number of the next image
    bool ScanningHeader = false;
    bool HeaderPageDone = false;
    bool ScanningEnder = false;
    bool EnderPageDone = false;
    qint32 EndorserOffset = 0;
    // Tallies of the batch being stored.
    qint32 BallotCount = 0;
    qint32 DiscardedCount = 0;
    qint32 RepairCount = 0;
    qint32 HeaderCardCount = 0;
    qint32 EnderCardCount = 0;

  protected:
    // The unload step.
    void closeEvent(QCloseEvent* event) override;

  private:
    // Steps 1 to 9 of the load step; ControlError and other exceptions leave it for step 10.
    void LoadSteps();
    // Ends the program: the caller returns at once, and the program's entry point returns
    // instead of showing the window.
    void End();
    // A batch that holds its last image before the ender card: the run is stopped.
    void StopFullBatch();
    // The steps of Start Batch and End Batch before their closing steps; returning early ends
    // the operation.
    void StartBatchSteps();
    void EndBatchSteps();
    // Feeds one card from the card slot and waits for its page; false when the scan ended in a
    // scanner error, whose event has shown its message.
    bool ScanCard(const bool& pageDone);
    // The no-batch state after a batch has been closed or lost, with lblBatch's caption in red.
    void LeaveBatch(const QString& batchCaption);
    // The open batch could not be stored and closed: the operator is told, its rows are removed
    // (now, or once the database answers again) and the window leaves it.
    void LoseBatch();

    Dialogs& dialogs_;
    bool ended_ = false;
    LostBatches lostBatches_;
};
