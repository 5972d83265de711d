#pragma once

#include <QString>
#include <QtGlobal>
#include <exception>

class AuditLog;

// The two kinds of error that the audit log records wherever the station meets them, each with
// its number and description and the step it interrupted ("during").
void AuditScannerError(AuditLog& log, qint64 number, const QString& description,
                       const QString& during);
void AuditUnexpectedError(AuditLog& log, const std::exception& error, const QString& during);
