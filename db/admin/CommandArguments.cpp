// What the commands of lindhollow-admin share: the output and the checks of the command line.

#include <cstdio>

#include "admin/AdminCommands.h"

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

QString DatabaseName(const QCommandLineParser& parser) {
    return parser.isSet("database") ? parser.value("database") : QStringLiteral("lindhollow");
}
