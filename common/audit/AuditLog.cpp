#include "audit/AuditLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "audit/AuditRecord.h"

namespace {

// Lines are read back in pieces of this size.
constexpr qint64 kChunkBytes = 64 * 1024;

QString SystemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

bool IsRegularFile(int fd) {
    struct stat status {};
    return fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

bool ReadAt(int fd, QByteArray& bytes, qint64 offset) {
    return ::pread(fd, bytes.data(), static_cast<size_t>(bytes.size()), offset) == bytes.size();
}

// Free text of the details, capped; numbers and truth values as they are.
QJsonObject CappedDetails(QJsonObject details) {
    for (auto it = details.begin(); it != details.end(); ++it) {
        if (it->isString()) {
            *it = audit::CappedText(it->toString());
        }
    }
    return details;
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
    const qint64 size = ::lseek(fd_, 0, SEEK_END);
    if (size <= 0) {
        return true;
    }
    QByteArray lastByte(1, '\0');
    if (!ReadAt(fd_, lastByte, size - 1)) {
        Fail(SystemError("cannot read the audit log"));
        return false;
    }
    const bool complete = lastByte[0] == '\n';
    qint64 start = 0;
    QByteArray line;
    if (!LineEndingAt(complete ? size - 1 : size, line, start)) {
        return false;
    }
    audit::AuditRecord record;
    QByteArray hash;
    QJsonObject unhashed;
    QByteArray recordLine = line;
    if (!complete || !audit::ParseRecordLine(line, record, hash, unhashed)) {
        // The last record before it; further lines that are not records stay, for the
        // verification to name.
        const qint64 lastLineStart = start;
        QByteArray earlier;
        while (start > 0) {
            if (!LineEndingAt(start - 1, earlier, start)) {
                return false;
            }
            if (audit::ParseRecordLine(earlier, record, hash, unhashed)) {
                recordLine = earlier;
                break;
            }
        }
        // The station never went on past a line that is not whole (it was not yet on disk), and
        // cannot go on from a line of its log that it cannot read: either is cut off, and the
        // cut recorded. A whole line of a file without records is not the station's to cut.
        if (!complete || record.sequence > 0) {
            cutBytes_ = size - lastLineStart;
            cutWasComplete_ = complete;
            cutText_ = QString::fromUtf8(line);
            if (::ftruncate(fd_, lastLineStart) != 0) {
                Fail(SystemError("cannot repair the audit log"));
                return false;
            }
        }
    }
    if (record.sequence > 0) {
        lastSequence_ = record.sequence;
        lastHash_ = hash;
        lastLine_ = recordLine;
    }
    logId_ = NamedLogIdOfFile(::lseek(fd_, 0, SEEK_END));
    return true;
}

bool AuditLog::LineEndingAt(qint64 end, QByteArray& line, qint64& start) {
    line.clear();
    start = end;
    while (start > 0) {
        const qint64 from = std::max<qint64>(0, start - kChunkBytes);
        QByteArray chunk(static_cast<qsizetype>(start - from), '\0');
        if (!ReadAt(fd_, chunk, from)) {
            Fail(SystemError("cannot read the audit log"));
            return false;
        }
        const qsizetype newline = chunk.lastIndexOf('\n');
        line.prepend(chunk.mid(newline + 1));
        start = from + newline + 1;
        if (newline >= 0) {
            break;
        }
    }
    return true;
}

QString AuditLog::NamedLogIdOfFile(qint64 size) {
    QByteArray pending;
    for (qint64 offset = 0; offset < size;) {
        QByteArray chunk(static_cast<qsizetype>(std::min(kChunkBytes, size - offset)), '\0');
        if (!ReadAt(fd_, chunk, offset)) {
            return {};
        }
        offset += chunk.size();
        pending += chunk;
        qsizetype newline;
        while ((newline = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(newline);
            pending.remove(0, newline + 1);
            audit::AuditRecord record;
            QByteArray hash;
            QJsonObject unhashed;
            if (line.contains(audit::kLogOpenedEvent.toLatin1()) &&
                audit::ParseRecordLine(line, record, hash, unhashed)) {
                if (const QString id = audit::NamedLogId(record); !id.isEmpty()) {
                    return id;
                }
            }
        }
    }
    return {};
}

std::optional<AuditLog::Anchor> AuditLog::LatestRecord() const {
    if (fd_ < 0 || logId_.isEmpty() || lastSequence_ == 0) {
        return std::nullopt;
    }
    return Anchor{logId_, lastSequence_, lastHash_, lastLine_};
}

bool AuditLog::Append(const QString& event, const QJsonObject& details) {
    if (!Open()) {
        ++unwritten_;
        return false;
    }
    if (logId_.isEmpty()) {
        // A new log, or one written before logs named themselves.
        const QString id = audit::NewLogId();
        if (!WriteRecord(audit::kLogOpenedEvent, {{"log_id", id}})) {
            ++unwritten_;
            return false;
        }
        logId_ = id;
    }
    if (cutBytes_ > 0) {
        const QJsonObject cut =
            cutWasComplete_
                ? QJsonObject{{"unreadable_line_bytes_removed", cutBytes_}, {"removed", cutText_}}
                : QJsonObject{{"half_line_bytes_removed", cutBytes_}};
        if (!WriteRecord(QStringLiteral("audit-log-repaired"), cut)) {
            ++unwritten_;
            return false;
        }
        cutBytes_ = 0;
        cutText_.clear();
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
                                    audit::CappedText(operator_),
                                    lastSequence_ + 1,
                                    event,
                                    CappedDetails(details)};
    QByteArray hash;
    const QByteArray line = audit::RecordLine(record, lastHash_, hash);
    if (!WriteLine(line)) {
        return false;
    }
    lastSequence_ = record.sequence;
    lastHash_ = hash;
    lastLine_ = line.chopped(1);
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
