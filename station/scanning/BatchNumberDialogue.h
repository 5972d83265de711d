#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

class AuditLog;
class Dialogs;

// Batch numbers keep three digits in the image serials.
constexpr bool IsBatchNumber(qint32 number) {
    return number >= 1 && number <= 999;
}

// The batch number the operator settled on, and whether it was typed rather than proposed.
struct AssignedBatch {
    qint16 number;
    bool typed;
};

// Settles the batch number of a header card that carries none: proposes the station's next
// batch, lets the operator type another, checks it and has it confirmed; every typed number it
// refuses goes to the audit log. Nothing when the operator abandons the dialogue.
std::optional<AssignedBatch> AssignBatchNumber(Dialogs& dialogs, AuditLog& audit,
                                               const QString& connectString, qint16 systemId);
