#pragma once

#include <QString>

// Makes a text fit between single quotes in a statement: every single quote
// doubled, then the blanks (spaces only) at both ends removed.
QString QuoteSqlText(const QString& text);

// Every single quote doubled and nothing else changed: the operator identifier,
// status and task keep their blanks, but cannot end the quoted text early.
QString DoubleSqlQuotes(const QString& text);
