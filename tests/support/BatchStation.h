#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

#include "controls/ScannerControls.h"
#include "shell/VrelScan.h"
#include "support/FakeScannerControls.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDataSource.h"

// One station for the batch-cycle tests: station 3, type 1, 11-inch ballots, the operator demo
// already logged in, settings in a temporary home, a counting-centre database of the given kind
// ("SQLite" or "MariaDB"), scripted dialogs, and either the recording scanner fakes or the real
// disk-import scanner with its card slot, feeder and output tray.
class BatchStation {
  public:
    enum class Scanner { Fake, DiskImport };

    BatchStation(const QString& databaseKind, Scanner scanner);
    BatchStation(std::unique_ptr<TestDataSource> centre, Scanner scanner);
    ~BatchStation();

    // A new window with its load step run; any earlier window is closed and destroyed first.
    VrelScan& Start();
    // The window vanishes as when the program is killed: neither its unload nor its terminate
    // step runs, and the scanner is let go.
    void Kill();

    QString Intray() const { return home.filePath(QStringLiteral("intray/")); }
    QString CardSlot() const { return home.filePath(QStringLiteral("paper/cards/")); }
    QString Feeder() const { return home.filePath(QStringLiteral("paper/feeder/")); }
    QString BatchFolder(qint16 batchNo) const;
    // The file names in a folder, sorted.
    static QStringList FilesIn(const QString& folder);

    // Column v of the first row of a query; every row's v.
    QString Query(const QString& query) const;
    QStringList QueryRows(const QString& query) const;
    int Execute(const QString& statement) const;
    // "STATUS/CURRENTTASK" of station 3's row.
    QString StationRow() const;
    // "ImageSeq BallotSN Status Error" of each image row of the batch, by sequence number.
    QStringList ImageRows(qint16 batchNo) const;
    // "ImageCount BallotCount closed|open" of the batch row; empty without one.
    QString BatchRow(qint16 batchNo) const;
    // The nine tally columns of the batch row, in their order, blank-separated.
    QString Tallies(qint16 batchNo) const;

    // Every box shown so far as "title | text | buttons | icon".
    QStringList Shown() const;

    QTemporaryDir home;
    std::unique_ptr<TestDataSource> database;
    ScriptedDialogs dialogs;
    FakeScannerControls fakes;
    std::unique_ptr<VrelScan> window;

  private:
    Scanner scanner_;
    ScannerControls disk_;
};

// Texts in test failures as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
