#include "scanning/AuditedErrors.h"

#include "audit/AuditLog.h"
#include "scanning/ErrorText.h"

void AuditScannerError(AuditLog& log, qint64 number, const QString& description,
                       const QString& during) {
    log.Append(QStringLiteral("scanner-error"),
               {{"error", number}, {"description", description}, {"during", during}});
}

void AuditUnexpectedError(AuditLog& log, const std::exception& error, const QString& during) {
    const NumberedError numbered = Numbered(error);
    log.Append(
        QStringLiteral("unexpected-error"),
        {{"error", numbered.number}, {"description", numbered.description}, {"during", during}});
}
