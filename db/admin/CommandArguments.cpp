// What the commands of lindhollow-admin share: the output, the checks of the command line and the
// connection it names.

#include <cstdio>

#include "admin/AdminCommands.h"
#include "database/Connection.h"

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

void RequireOnly(const QCommandLineParser& parser, const QStringList& allowed) {
    for (const QString& name : parser.optionNames()) {
        if (!allowed.contains(name)) {
            throw UsageError("--" + name.toStdString() + " does not belong to this command");
        }
    }
}

QString Required(const QCommandLineParser& parser, const QString& name) {
    if (!parser.isSet(name) || parser.value(name).isEmpty()) {
        throw UsageError("--" + name.toStdString() + " is required");
    }
    return parser.value(name);
}

std::optional<int> WholeNumber(const QCommandLineParser& parser, const QString& name) {
    if (!parser.isSet(name)) {
        return std::nullopt;
    }
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok) {
        throw UsageError("--" + name.toStdString() + " must be a whole number");
    }
    return value;
}

QString ValueOr(const QCommandLineParser& parser, const QString& name, const QString& fallback) {
    return parser.isSet(name) ? parser.value(name) : fallback;
}

QString DatabaseName(const QCommandLineParser& parser) {
    return ValueOr(parser, QStringLiteral("database"), QStringLiteral("lindhollow"));
}

ServerAccountOptions ServerAccountOf(const QCommandLineParser& parser, const QString& name,
                                     const QString& host) {
    RequireOnly(parser, {"connect", "database", "host", "account", "replace"});
    ServerAccountOptions account{DatabaseName(parser),
                                 ValueOr(parser, QStringLiteral("account"), name),
                                 ValueOr(parser, QStringLiteral("host"), host),
                                 {}};
    account.quoted = QStringLiteral("'%1'@'%2'").arg(account.name, account.host);
    return account;
}

void OpenDatabase(Connection& connection, const QCommandLineParser& parser) {
    connection.Open(ValueOr(parser, QStringLiteral("connect"), QStringLiteral("DSN=Lindhollow;")));
}
