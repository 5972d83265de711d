// lindhollow-admin's commands on audit logs.

#include <optional>

#include "admin/AdminCommands.h"
#include "admin/AuditLogTable.h"
#include "audit/AuditLogFile.h"

int VerifyLogCommand(const QCommandLineParser& parser) {
    RequireOnly(parser, {});
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.isEmpty()) {
        throw UsageError("verify-log needs at least one FILE");
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
