#pragma once

#include <QList>
#include <QString>
#include <optional>

class Connection;

struct Operator {
    QString userId;
    std::optional<int> privilegeLevel;
};

enum class AddOutcome { Added, AlreadyPresent, Replaced };

// Adds an operator. An operator of the same identifier (in any letter case) is
// left alone when its password and level are the same, and replaced only when
// `replace` is set; otherwise adding fails.
AddOutcome AddOperator(Connection& connection, const QString& userId, const QString& password,
                       std::optional<int> privilegeLevel, bool replace);
QList<Operator> ListOperators(Connection& connection);
// Returns false when there was no such operator.
bool RemoveOperator(Connection& connection, const QString& userId);
