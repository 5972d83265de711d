#pragma once

#include <QString>

// The text of one of the centre's shipped configuration files (db/centre), which the tests run
// with only their own paths and ports put in.
QString CentreFile(const QString& name);

// The text with every `from` replaced by `to`; throws when the text holds no `from`, so that a
// test never runs a shipped file whose lines it no longer adapts.
QString Replaced(QString text, const QString& from, const QString& to);

// The value of `setting` in the shipped file `name` ("secure_timestamp = REPLICATION" gives
// REPLICATION); throws when the file sets none.
QString CentreSetting(const QString& name, const QString& setting);
