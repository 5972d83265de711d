#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <functional>

// The station's own audit log: one JSON line per event, appended and synced to disk before the
// station goes on, chained by hash to the line before (see AuditRecord.h). The sequence number
// and the chain go on from what the file already holds, across restarts.
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

    // Appends one record and syncs it; false when it could not be written.
    bool Append(const QString& event, const QJsonObject& details = {});

  private:
    bool Open();
    // Continues the sequence and chain of the file's last record; cuts off a line that a crash
    // left half written.
    bool ResumeFromFile();
    bool WriteRecord(const QString& event, const QJsonObject& details);
    bool WriteLine(const QByteArray& line);
    void Fail(const QString& reason);

    QString path_;
    int fd_ = -1;
    int station_ = 0;
    QString operator_;
    qint64 lastSequence_ = 0;
    QByteArray lastHash_;
    qint64 cutBytes_ = 0;  // of a half line found at start-up
    int unwritten_ = 0;    // events lost in the current outage
    QString outageReason_;
    std::function<void(const QString&)> tell_;
};
