// lindhollow-admin's commands on audit logs.

#include <algorithm>
#include <optional>

#include "admin/AdminCommands.h"
#include "admin/AuditAnchorCheck.h"
#include "admin/AuditLogTable.h"
#include "audit/AuditLogFile.h"
#include "database/Connection.h"

namespace {

// The files against the anchors at the centre, of --system-id or else of the stations that the
// files name; 1 on any finding.
int CheckAnchors(const QCommandLineParser& parser, const QStringList& paths) {
    QList<audit::AnchorableLog> files;
    QList<int> stations;
    for (const QString& path : paths) {
        files.append(audit::ReadAnchorableLog(path));
        for (const int station : files.last().stations) {
            if (!stations.contains(station)) {
                stations.append(station);
            }
        }
    }
    if (parser.isSet("system-id")) {
        bool ok = false;
        const int station = parser.value("system-id").toInt(&ok);
        if (!ok || station < 1 || station > 32767) {
            throw UsageError("--system-id must be a station number");
        }
        stations = {station};
    }
    std::sort(stations.begin(), stations.end());
    Connection connection;
    connection.Open(parser.value("connect"));
    const AnchorCheck check = CheckAuditAnchors(connection, files, stations);
    for (const QString& line : check.notes + check.findings) {
        Out() << line << '\n';
    }
    return check.findings.isEmpty() ? 0 : 1;
}

}  // namespace

int VerifyLogCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"connect", "system-id"});
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.isEmpty()) {
        throw UsageError("verify-log needs at least one FILE");
    }
    if (parser.isSet("system-id") && !parser.isSet("connect")) {
        throw UsageError("--system-id of verify-log needs --connect");
    }
    int status = 0;
    for (const QString& file : files) {
        const audit::Verification result = audit::VerifyAuditLog(file);
        if (result.brokenLine == 0) {
            Out() << file << ": " << result.verified << " records verified.\n";
        } else {
            Out() << file << ": line " << result.brokenLine << ": " << result.problem << " ("
                  << result.verified << " records before it verified).\n";
            status = 1;
        }
    }
    if (parser.isSet("connect") && CheckAnchors(parser, files) != 0) {
        status = 1;
    }
    return status;
}

int ShowLogCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {"batch", "event"});
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.size() != 1) {
        throw UsageError("show-log needs exactly one FILE");
    }
    std::optional<int> batch;
    if (parser.isSet("batch")) {
        bool ok = false;
        batch = parser.value("batch").toInt(&ok);
        if (!ok) {
            throw UsageError("--batch must be a whole number");
        }
    }
    Out() << AuditLogTable(audit::ReadAuditLog(files.front()), batch, parser.value("event"));
    return 0;
}
