#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <functional>
#include <optional>

// The station's own audit log: one JSON line per event, appended and synced to disk before the
// station goes on, chained by hash to the line before (see AuditRecord.h). The sequence number
// and the chain go on from what the file already holds, across restarts.
//
// Every log file opens with a record naming a random log id, so that the centre's anchors (see
// AuditAnchoring.h) tell one log from another, and a deleted or replaced log from a log.
//
// A log that cannot be written does not stop the station: the first failure of an outage is told
// once through the failure handler, and the next line that can be written is preceded by a record
// of the outage (how many events were lost, and why).
class AuditLog {
  public:
    // path empty: the default path.
    explicit AuditLog(QString path = {});
    ~AuditLog();
    AuditLog(const AuditLog&) = delete;
    AuditLog& operator=(const AuditLog&) = delete;

    // $XDG_STATE_HOME (default ~/.local/state) /KestranaLindhollow/audit.jsonl.
    static QString DefaultPath();

    const QString& Path() const { return path_; }
    void SetStation(int station) { station_ = station; }
    void SetOperator(const QString& operatorId) { operator_ = operatorId; }
    void SetFailureHandler(std::function<void(const QString& reason)> tell) {
        tell_ = std::move(tell);
    }

    // Appends one record and syncs it; false when it could not be written. Free text in the
    // details is capped (audit::kFreeTextLimit).
    bool Append(const QString& event, const QJsonObject& details = {});

    // The latest record of this log file, as the centre anchors it: with its line (without the
    // newline), so that the centre can read what the station recorded, a batch's seal above all.
    struct Anchor {
        QString logId;
        qint64 sequence = 0;
        QByteArray hash;
        QByteArray line;
    };
    // Nothing while the file holds no record naming its log id.
    std::optional<Anchor> LatestRecord() const;

  private:
    bool Open();
    // Continues the sequence and chain of the file's last record, whatever its length, and takes
    // up the log id that the file names. A last line that is not a record (half written by a
    // crash, or damaged) is cut off, to be recorded by the next append.
    bool ResumeFromFile();
    // The line that ends at byte end (its newline, or the end of the file), and where it starts;
    // false when the file cannot be read.
    bool LineEndingAt(qint64 end, QByteArray& line, qint64& start);
    // The log id named by the first record of the file that names one; empty when none does.
    QString NamedLogIdOfFile(qint64 size);
    bool WriteRecord(const QString& event, const QJsonObject& details);
    bool WriteLine(const QByteArray& line);
    void Fail(const QString& reason);

    QString path_;
    int fd_ = -1;
    int station_ = 0;
    QString operator_;
    qint64 lastSequence_ = 0;
    QByteArray lastHash_;
    QByteArray lastLine_;
    QString logId_;        // empty until named in the file
    qint64 cutBytes_ = 0;  // of a last line found at start-up that was not a record
    bool cutWasComplete_ = false;
    QString cutText_;
    int unwritten_ = 0;  // events lost in the current outage
    QString outageReason_;
    std::function<void(const QString&)> tell_;
};
