#pragma once

#include <QString>
#include <stdexcept>

class QSqlError;

// A failure reported by the database client: the driver's own message, so that
// whoever reads it can tell a refused statement from an unreachable data source.
class DatabaseError : public std::runtime_error {
  public:
    explicit DatabaseError(const QString& message, int nativeCode = 0)
        : std::runtime_error(message.toStdString()), message_(message), nativeCode_(nativeCode) {}
    const QString& message() const { return message_; }
    // The database's own error number (MariaDB's 1045 for a refused password, 2002 for a
    // server that cannot be reached …); 0 when there is none.
    int nativeCode() const { return nativeCode_; }

  private:
    QString message_;
    int nativeCode_;
};

// The failure that the database client reports through Qt.
DatabaseError DriverError(const QSqlError& error);
