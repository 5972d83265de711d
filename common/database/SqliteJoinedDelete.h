#pragma once

#include <QString>

// SQLite has no joined DELETE ("DELETE t FROM t INNER JOIN u ON ... WHERE ...").
// Returns that statement shape rewritten as the equivalent
// "DELETE FROM t WHERE EXISTS (SELECT 1 FROM u WHERE (...) AND (...))";
// every other statement comes back unchanged.
QString AdaptJoinedDeleteForSqlite(const QString& statement);
