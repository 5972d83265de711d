#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "ScriptedDialogs.h"
#include "audit/AuditLog.h"
#include "controls/ScannerControls.h"
#include "shell/VrelScan.h"

// One scanning station without a screen, driven as its operator would: its own settings, in-tray
// and paper folders in a temporary home, the real disk-import scanner and ballot-reading library,
// the operator demo logged in, its audit log in its home, and a box answered OK wherever one is
// asked. Several can share a process; each reads its settings when it starts.
class HeadlessStation {
  public:
    // Refused: Start Batch did not open the batch, as while the database is away; the number
    // counts as used until the database answers again.
    enum class Outcome { Closed, Lost, Refused };

    HeadlessStation(qint16 systemId, const QString& connectString);
    ~HeadlessStation();

    // A new window with its load step run; throws when the load step ends the program.
    VrelScan& Start();
    // Scans one batch as the operator does: Start Batch with a header card carrying the number,
    // Start Scanner over the ballots, End Batch with the ender card. Throws when the station does
    // not end in "BATCH CLOSED" or "BATCH LOST".
    Outcome ScanBatch(qint16 batchNo, int ballots);
    // Start Batch alone, with a header card carrying the number: whether the batch is open.
    bool OpenBatch(qint16 batchNo);
    // The operator closes the window: the end of the shift.
    void Close();

    // Makes beforehand the sheets of batches 1 to lastBatch, which ScanBatch makes at first use.
    static void MakeSheets(qint16 lastBatch, int ballots);

    qint16 SystemId() const { return systemId_; }
    // How long the last End Batch took: the ender card, the batch's storage, tallies and closing.
    qint64 EndBatchMilliseconds() const { return endBatchMilliseconds_; }
    QString BatchFolder(qint16 batchNo) const;
    // In-tray files missing or extra in the folders of batches 1 to lastBatch, each of a header
    // card, `ballots` ballots and an ender card.
    int FilesWrong(qint16 lastBatch, int ballots) const;
    VrelScan& Window() { return *window_; }
    // Every box shown so far as "title | text | buttons | icon".
    QStringList Shown() const;

  private:
    void Put(const QStringList& sheet, const QString& file);

    qint16 systemId_;
    QString connectString_;
    QTemporaryDir home_;
    ScriptedDialogs dialogs_;
    ScannerControls controls_;
    std::unique_ptr<AuditLog> audit_;
    std::unique_ptr<VrelScan> window_;
    int fed_ = 0;
    qint64 endBatchMilliseconds_ = 0;
};
