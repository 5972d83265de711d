// lindhollow-admin export-batch from a MariaDB centre: three closed batches of 999 images each
// (header card, ballots, ender card, made by the sheet maker as the scanner writes them), every
// image checked against its seal and written, the batch seals checked against their anchors.
// Each iteration runs the command, then the floor: a plain SELECT of the same bytes on one
// connection, so that both see the same machine load. images_per_s is the command's rate
// (process start included), floor_per_s the SELECT's, x_floor the command's time as a multiple
// of the floor's; tool_peak_mb the command's peak resident memory, connect_peak_mb that of a
// command that only connects (list-operators).
//
// Run by hand: build/bench/export-benchmark

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <memory>

#include "audit/AuditAnchoring.h"
#include "audit/AuditLog.h"
#include "database/Connection.h"
#include "database/Recordset.h"
#include "images/ImageSeal.h"
#include "support/SheetFiles.h"
#include "support/TestDataSource.h"

namespace {

constexpr int kBatches = 3;
constexpr int kImages = 999;

const std::vector<std::vector<std::string>> kBallots = {
    {"ballot", "--marks", "1,5,9,40,96"},
    {"ballot", "--marks", "2,50", "--skew", "-3", "--noise", "7"},
    {"ballot", "--marks", "12", "--skew", "2", "--noise", "8"},
    {"ballot", "--noise", "9"},
};

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QByteArray Sheet(const std::vector<std::string>& args, const QTemporaryDir& folder) {
    const QString path = folder.filePath(QStringLiteral("sheet.tif"));
    sheet_files::Make(args, QFile::encodeName(path).toStdString());
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Centre {
    std::unique_ptr<TestDataSource> source;
    QTemporaryDir folder;
};

// The centre with its batches stored as the station stores them, made once.
Centre& StoredCentre() {
    static Centre centre{MakeMariaDbDataSource(), {}};
    static bool stored = false;
    if (stored) {
        return centre;
    }
    stored = true;
    QList<QByteArray> sheets = {Sheet({"header", "--type", "-6", "--batch", "1"}, centre.folder)};
    for (const auto& ballot : kBallots) {
        sheets << Sheet(ballot, centre.folder);
    }
    const QByteArray ender = Sheet({"ender"}, centre.folder);
    Connection connection;
    connection.Open(centre.source->ConnectString());
    AuditLog log(centre.folder.filePath(QStringLiteral("audit.jsonl")));
    log.SetStation(3);
    for (int batch = 1; batch <= kBatches; ++batch) {
        connection.Execute(QStringLiteral("INSERT INTO Batches(SystemID,BatchNo,EndTime) VALUES "
                                          "(3,%1,'2026-12-08 10:00:00')")
                               .arg(batch));
        std::vector<std::string> seals;
        for (int first = 0; first < kImages; first += 100) {
            QStringList rows;
            QStringList sealRows;
            QStringList copies;
            for (int seq = first; seq < std::min(first + 100, kImages); ++seq) {
                const QByteArray& bytes =
                    seq == 0 ? sheets[0]
                             : (seq == kImages - 1 ? ender : sheets[1 + seq % kBallots.size()]);
                seals.push_back(SealOfBytes({bytes.constData(), std::size_t(bytes.size())}));
                const QString serial = QStringLiteral("3%1%2")
                                           .arg(batch, 3, 10, QChar(u'0'))
                                           .arg(seq, 5, 10, QChar(u'0'));
                const QString seal = QString::fromStdString(seals.back());
                rows << QStringLiteral("(3,%1,%2,%3,0,0)").arg(batch).arg(seq).arg(serial);
                sealRows
                    << QStringLiteral("(3,%1,%2,%3,'%4')").arg(batch).arg(seq).arg(serial, seal);
                copies << QStringLiteral("(3,%1,%2,'%3',X'%4')")
                              .arg(batch)
                              .arg(seq)
                              .arg(seal, QString::fromLatin1(bytes.toHex()));
            }
            connection.Execute(QStringLiteral("INSERT INTO BallotImages(SystemID,BatchNo,ImageSeq,"
                                              "BallotSN,Status,Error) VALUES ") +
                               rows.join(u','));
            connection.Execute(QStringLiteral("INSERT INTO ImageSeals VALUES ") +
                               sealRows.join(u','));
            connection.Execute(QStringLiteral("INSERT INTO ImageFiles VALUES ") +
                               copies.join(u','));
        }
        log.Append(QStringLiteral("batch-ended"),
                   {{"batch", batch},
                    {"images", kImages},
                    {"seal", QString::fromStdString(SealOfBatch(seals))}});
        AnchorAuditLog(log, centre.source->ConnectString(), 3);
        log.Append(QStringLiteral("batch-closed"), {{"batch", batch}, {"images", kImages}});
        AnchorAuditLog(log, centre.source->ConnectString(), 3);
    }
    return centre;
}

// Every byte of the batches' copies, read with one plain query per batch.
qint64 PlainSelect(Centre& centre) {
    Connection connection;
    connection.Open(centre.source->ConnectString());
    qint64 bytes = 0;
    for (int batch = 1; batch <= kBatches; ++batch) {
        Recordset rows;
        rows.Open(QStringLiteral("SELECT ImageData FROM ImageFiles WHERE SystemID = 3 AND "
                                 "BatchNo = %1 ORDER BY ImageSeq")
                      .arg(batch),
                  connection);
        for (; !rows.Eof(); rows.MoveNext()) {
            bytes += rows.Fields(QStringLiteral("ImageData")).Value().toByteArray().size();
        }
    }
    return bytes;
}

// Runs lindhollow-admin with its output discarded; returns its exit status and raises
// peakKilobytes to its peak resident memory.
int RunTool(const QStringList& arguments, long& peakKilobytes) {
    std::vector<QByteArray> texts = {QByteArrayLiteral(LINDHOLLOW_ADMIN)};
    for (const QString& argument : arguments) {
        texts.push_back(argument.toLocal8Bit());
    }
    std::vector<char*> argv;
    for (QByteArray& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = -1;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
        return -1;
    }
    peakKilobytes = std::max(peakKilobytes, usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ExportBatches(benchmark::State& state) {
    Centre& centre = StoredCentre();
    double exportSeconds = 0;
    double floorSeconds = 0;
    long peakKilobytes = 0;
    long baselineKilobytes = 0;  // of a command that only connects
    RunTool({"list-operators", "--connect", centre.source->ConnectString()}, baselineKilobytes);
    // Into a new folder each time, as for a recount, all removed at the end: a file system that
    // has just deleted thousands of files spends most of the command's time finding inodes for
    // new ones.
    QTemporaryDir exports(centre.folder.filePath(QStringLiteral("exports-XXXXXX")));
    int exported = 0;
    for (auto _ : state) {
        const QString out = exports.filePath(QString::number(++exported));
        double start = Seconds();
        const int status = RunTool({"export-batch", "--connect", centre.source->ConnectString(),
                                    "--system-id", "3", "--all-closed", "--out", out},
                                   peakKilobytes);
        if (status != 0) {
            state.SkipWithError("export-batch failed");
            break;
        }
        exportSeconds += Seconds() - start;
        start = Seconds();
        if (PlainSelect(centre) == 0) {
            state.SkipWithError("the plain SELECT read nothing");
        }
        floorSeconds += Seconds() - start;
    }
    const double images = double(state.iterations()) * kBatches * kImages;
    state.SetItemsProcessed(qint64(images));
    state.counters["images_per_s"] = images / exportSeconds;
    state.counters["floor_per_s"] = images / floorSeconds;
    state.counters["x_floor"] = exportSeconds / floorSeconds;
    // The command reads a batch a few images at a time: its peak memory does not grow with it.
    state.counters["tool_peak_mb"] = double(peakKilobytes) / 1024;
    state.counters["connect_peak_mb"] = double(baselineKilobytes) / 1024;
}

}  // namespace

BENCHMARK(ExportBatches)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
