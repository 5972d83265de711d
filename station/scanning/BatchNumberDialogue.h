#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

class Dialogs;

// Batch numbers keep three digits in the image serials.
constexpr bool IsBatchNumber(qint32 number) {
    return number >= 1 && number <= 999;
}

// Settles the batch number of a header card that carries none: proposes the station's next
// batch, lets the operator type another, checks it and has it confirmed. Nothing when the
// operator abandons the dialogue.
std::optional<qint16> AssignBatchNumber(Dialogs& dialogs, const QString& connectString,
                                        qint16 systemId);
