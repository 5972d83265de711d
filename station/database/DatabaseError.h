#pragma once

#include <QString>
#include <stdexcept>

// A failure reported by the database client: the driver's own message, so that
// whoever reads it can tell a refused statement from an unreachable data source.
class DatabaseError : public std::runtime_error {
  public:
    explicit DatabaseError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

  private:
    QString message_;
};
