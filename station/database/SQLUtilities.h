#pragma once

#include <QString>

// Makes a text fit between single quotes in a statement: every single quote
// doubled, then the blanks (spaces only) at both ends removed.
QString QuoteSqlText(const QString& text);
