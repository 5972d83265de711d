#include "audit/AuditLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

#include "audit/AuditRecord.h"

namespace {

// Enough to hold the last record of any log.
constexpr qint64 kTailBytes = 64 * 1024;

QString SystemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

bool IsRegularFile(int fd) {
    struct stat status {};
    return fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

AuditLog::AuditLog(QString path)
    : path_(path.isEmpty() ? DefaultPath() : std::move(path)),
      lastHash_(audit::kFirstPreviousHash) {}

AuditLog::~AuditLog() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

QString AuditLog::DefaultPath() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state)) {
        state = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return state + QStringLiteral("/KestranaLindhollow/audit.jsonl");
}

bool AuditLog::Open() {
    if (fd_ >= 0) {
        return true;
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    fd_ =
        ::open(QFile::encodeName(path_).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
    if (fd_ < 0) {
        Fail(SystemError("cannot open the audit log"));
        return false;
    }
    if (!ResumeFromFile()) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool AuditLog::ResumeFromFile() {
    if (!IsRegularFile(fd_)) {
        return true;  // a device or pipe: nothing to read back
    }
    const off_t size = ::lseek(fd_, 0, SEEK_END);
    const off_t start = size > kTailBytes ? size - kTailBytes : 0;
    QByteArray tail(static_cast<qsizetype>(size - start), '\0');
    if (::pread(fd_, tail.data(), static_cast<size_t>(tail.size()), start) != tail.size()) {
        Fail(SystemError("cannot read the audit log"));
        return false;
    }
    const qsizetype lastNewline = tail.lastIndexOf('\n');
    const qsizetype complete = lastNewline + 1;
    if (complete < tail.size()) {
        // The station never went on past a line that is not whole: it was not yet on disk.
        cutBytes_ = tail.size() - complete;
        if (::ftruncate(fd_, start + complete) != 0) {
            Fail(SystemError("cannot repair the audit log"));
            return false;
        }
        tail.truncate(complete);
    }
    QList<QByteArray> lines = tail.split('\n');
    if (start > 0 && !lines.isEmpty()) {
        lines.removeFirst();  // may begin inside a line
    }
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        audit::AuditRecord record;
        QByteArray hash;
        QJsonObject unhashed;
        if (audit::ParseRecordLine(*line, record, hash, unhashed)) {
            lastSequence_ = record.sequence;
            lastHash_ = hash;
            break;
        }
    }
    return true;
}

bool AuditLog::Append(const QString& event, const QJsonObject& details) {
    if (!Open()) {
        ++unwritten_;
        return false;
    }
    if (cutBytes_ > 0) {
        if (!WriteRecord(QStringLiteral("audit-log-repaired"),
                         {{"half_line_bytes_removed", cutBytes_}})) {
            ++unwritten_;
            return false;
        }
        cutBytes_ = 0;
    }
    if (unwritten_ > 0) {
        if (!WriteRecord(QStringLiteral("audit-log-unwritable"),
                         {{"events_lost", unwritten_}, {"error", outageReason_}})) {
            ++unwritten_;
            return false;
        }
        unwritten_ = 0;
        outageReason_.clear();
    }
    if (!WriteRecord(event, details)) {
        ++unwritten_;
        return false;
    }
    return true;
}

bool AuditLog::WriteRecord(const QString& event, const QJsonObject& details) {
    const audit::AuditRecord record{QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs),
                                    station_,
                                    operator_,
                                    lastSequence_ + 1,
                                    event,
                                    details};
    QByteArray hash;
    if (!WriteLine(audit::RecordLine(record, lastHash_, hash))) {
        return false;
    }
    lastSequence_ = record.sequence;
    lastHash_ = hash;
    return true;
}

bool AuditLog::WriteLine(const QByteArray& line) {
    const bool regular = IsRegularFile(fd_);
    const off_t before = regular ? ::lseek(fd_, 0, SEEK_END) : 0;
    qsizetype written = 0;
    while (written < line.size()) {
        const ssize_t n =
            ::write(fd_, line.constData() + written, static_cast<size_t>(line.size() - written));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Fail(SystemError("cannot write the audit log"));
            if (regular && written > 0) {
                // Take back the part that made it, so that no half line stays.
                [[maybe_unused]] const int ignored = ::ftruncate(fd_, before);
            }
            return false;
        }
        written += n;
    }
    if (::fdatasync(fd_) != 0 && errno != EINVAL) {  // EINVAL: a device that cannot sync
        Fail(SystemError("cannot sync the audit log"));
        if (regular) {
            [[maybe_unused]] const int ignored = ::ftruncate(fd_, before);
        }
        return false;
    }
    return true;
}

void AuditLog::Fail(const QString& reason) {
    if (!outageReason_.isEmpty()) {
        return;  // told already in this outage
    }
    outageReason_ = reason;
    if (tell_) {
        tell_(path_ + QStringLiteral(": ") + reason);
    }
}
