#include "scanning/BatchNumberDialogue.h"

#include <QLocale>
#include <cmath>

#include "audit/AuditLog.h"
#include "database/LHDataAbstraction.h"
#include "shell/Dialogs.h"

namespace {

// The typed text as a whole number: a decimal number in the regional notation, blanks around
// it allowed, rounded to the nearest whole number with halves to the even neighbour.
std::optional<double> RoundedNumber(const QString& text) {
    bool ok = false;
    const double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return std::nearbyint(value);
}

// Why the typed text names no batch that can be opened; empty when it names one.
QString Refusal(const QString& text, const std::optional<double>& value, const QString& dsn,
                qint16 systemId) {
    if (!value || *value < 1) {
        return text + QStringLiteral(" is not a valid Batch Number.");
    }
    if (*value > 999) {
        return text + QStringLiteral(" exceeds maximum batch number. (<= 999)");
    }
    if (BatchExists(dsn, systemId, qint16(*value))) {
        return text + QStringLiteral(" has already been used.");
    }
    return {};
}

Dialogs::Answer Propose(Dialogs& dialogs, qint16 proposed) {
    return dialogs.MsgBox(
        QStringLiteral("Next available batch is Batch ") + QString::number(proposed) +
            QStringLiteral(".\r\nDo you want to use this batch?"),
        Dialogs::Buttons::YesNoCancel, Dialogs::Icon::None, QStringLiteral("Assign Batch"));
}

// A proposal that is no batch number (the database failed, or the station has used 999) is not
// offered; the operator types the number instead.
void RefuseProposal(Dialogs& dialogs, qint16 proposed) {
    const QString text = proposed < 1
                             ? QStringLiteral("Unable to find the next available batch.")
                             : QStringLiteral("Next available batch ") + QString::number(proposed) +
                                   QStringLiteral(" exceeds maximum batch number. (<= 999)");
    dialogs.MsgBox(text + QStringLiteral("  Enter the batch number yourself."),
                   Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                   QStringLiteral("Assign Batch"));
}

}  // namespace

std::optional<AssignedBatch> AssignBatchNumber(Dialogs& dialogs, AuditLog& audit,
                                               const QString& connectString, qint16 systemId) {
    qint16 proposed = GetNextBatchNumber(connectString, systemId);
    QString defaultText;
    bool typed = false;
    Dialogs::Answer answer = Dialogs::Answer::No;
    if (IsBatchNumber(proposed)) {
        defaultText = QString::number(proposed);
        answer = Propose(dialogs, proposed);
    } else {
        RefuseProposal(dialogs, proposed);
    }

    for (;;) {
        if (answer == Dialogs::Answer::Yes) {
            return AssignedBatch{proposed, typed};
        }
        if (answer != Dialogs::Answer::No) {
            return std::nullopt;
        }
        const QString text = dialogs.InputBox(QStringLiteral("Enter desired batch number."),
                                              QStringLiteral("Batch Number"), defaultText);
        if (text.isEmpty()) {
            return std::nullopt;
        }
        const std::optional<double> value = RoundedNumber(text);
        if (const QString refusal = Refusal(text, value, connectString, systemId);
            !refusal.isEmpty()) {
            audit.Append(QStringLiteral("batch-number-refused"),
                         {{"typed", text}, {"reason", refusal}});
            dialogs.MsgBox(refusal, Dialogs::Buttons::OK, Dialogs::Icon::Exclamation,
                           QStringLiteral("Invalid Batch Number"));
            continue;
        }
        proposed = qint16(*value);
        typed = true;
        defaultText = QString::number(proposed);
        answer = dialogs.MsgBox(QStringLiteral("You have requested Batch ") + defaultText +
                                    QStringLiteral(".  Is this correct?"),
                                Dialogs::Buttons::YesNoCancel, Dialogs::Icon::None,
                                QStringLiteral("Verify Batch Request"));
    }
}
