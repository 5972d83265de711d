#pragma once

#include <QString>
#include <functional>

// Sees every statement that a Connection executes or a Recordset opens, exactly as
// the operation built it, before it goes to the database. The station sets none;
// tests set one to record the statements, or to refuse one by throwing DatabaseError.
using StatementObserver = std::function<void(const QString& statement)>;

// Replaces the observer; an empty one removes it.
void SetStatementObserver(StatementObserver observer);
void ObserveStatement(const QString& statement);
