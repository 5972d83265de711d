#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

#include "scanning/BatchState.h"
#include "scanning/LostBatches.h"
#include "scanning/StationMode.h"

class AuditLog;
class BatchView;
struct ChangedImage;
class Connection;
class ControlError;
class Dialogs;
class KImgp;
class KScan;
struct LoginResult;
struct StationSettings;

// The batch cycle of the station: a batch opened with its header card, scanner runs whose pages
// become the batch's images, the batch closed with its ender card and stored as database rows.
// The main window's buttons and the scanner control's events land here; the window shows what the
// cycle tells its view.
//
// Its steps are defined by topic, in the order of a batch: BatchOpening.cpp, ScannerRuns.cpp,
// PageEvents.cpp, CardScan.cpp, BatchClosing.cpp and BatchStorage.cpp.
class BatchCycle {
  public:
    // Everything given outlives the cycle; the settings and the login result are read as they
    // are at each step. Every event of a batch goes to the audit log before the step that
    // follows it.
    BatchCycle(KScan& scanner, KImgp& imaging, Dialogs& dialogs, BatchView& view,
               const StationSettings& settings, const LoginResult& login, AuditLog& audit);

    // Start Batch: scans the header card alone and opens its batch.
    void StartBatch();
    // End Batch: scans the ender card as the batch's next image, stores the batch and closes it.
    void EndBatch();
    // Start Scanner and Stop Scanner: a run over the feeder, with or without the endorser.
    void StartScanner();
    void StopScanner();

    // The scanner control's events: 10 a run starts, 12 page end, 14 page done, 15 scanner error.
    void Event10();
    void Event12();
    void Event14();
    void Event15(qint16& number, QString& description);
    // A scanner control that refused a write or read inside a button or event step: shown as a
    // scanner error, and a run that was starting or under way is over.
    void ScannerControlFailed(const ControlError& error);

    // Removes the rows of batches lost while the database could not be reached, where it answers.
    void RemoveLostBatches();

    // Every image of the batch as a database row; false when an error stopped the pass.
    bool StoreScannedBatchIntoDatabase();

    StationMode Mode() const { return mode_; }
    // The mode, and the window's buttons with it.
    void SetMode(StationMode mode);
    // The batch's state; the window's terminate step reads it, and tests put a batch in place.
    BatchState& State() { return state_; }

  private:
    // The steps of Start Batch and End Batch before their closing steps; returning early ends
    // the operation.
    void StartBatchSteps();
    void EndBatchSteps();
    // Feeds one card from the card slot and waits for its page; false when the scan ended in a
    // scanner error, whose event has shown its message.
    bool ScanCard(const bool& pageDone);
    // Ends a run that the operator stopped or the full batch did.
    void StopRun(const QString& cause);
    // A batch that holds its last image before the ender card: the run is stopped.
    void StopFullBatch();
    // The page that has ended, once its file is written: its image is sealed. A page whose file
    // was not written (the write failed) is no image: its entry and counter step are taken back,
    // and the sheet takes the same serial when it is fed again; returns that sequence number
    // (none for a header card).
    void SealWrittenImage();
    std::optional<qint32> TakeBackUnwrittenImage();
    // After a run's page was taken back: which sheet the operator feeds again first, and what
    // another sheet fed first would carry.
    void ShowSheetToFeedAgain(qint32 sequence);
    // Image k and those after it are no longer part of the batch; the next page takes k.
    void GiveImageBack(qint32 k);
    // A scanner error into the audit log, with the end of the run it stops.
    void AuditScannerError(qint64 number, const QString& description);
    void AuditRunStopped(const QString& cause);
    // The no-batch state after a batch has been closed or lost, with lblBatch's caption in red.
    void LeaveBatch(const QString& batchCaption);
    // The storage pass's rows, seals and copies of every image, in one transaction on the
    // connection, which the caller commits; stops at an image file that does not match its seal.
    std::optional<ChangedImage> StoreBatchImages(Connection& connection);
    // An image file that did not match its seal in the storage pass: logged and shown.
    void ReportChangedImage(const ChangedImage& image);
    // The open batch could not be stored and closed: the operator is told, its rows are removed
    // (now, or once the database answers again) and the station leaves it.
    void LoseBatch();
    // The station's row in the network monitor.
    void ReportTask(const QString& task);

    KScan& KScan1;
    KImgp& KImgp1;
    Dialogs& dialogs_;
    BatchView& view_;
    const StationSettings& settings_;
    const LoginResult& login_;
    AuditLog& audit_;
    BatchState state_;
    LostBatches lostBatches_;
    StationMode mode_ = StationMode::NoBatch;
};
