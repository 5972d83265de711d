#pragma once

#include <QString>
#include <QtGlobal>

class Connection;

// The history of one batch on a MariaDB centre, for people: every version of its batch row, with
// what changed from the one before, and when its image and seal rows were inserted, changed and
// deleted, in the order it happened, times in UTC. A batch that was lost and scanned again, or a
// tally changed by hand, shows there. Throws DatabaseError where the database keeps no history.
QString BatchHistory(Connection& connection, qint16 systemId, qint16 batchNo);
