#pragma once

#include <QString>
#include <QtGlobal>

// What the station needs of the centre's database beyond its batch, image and status tables: the
// tables of the audit anchors, the image seals and the image bytes, and its account's right to
// write them. A centre set up before one of them came stores no batch of this station.
//
// Each need is tried with a statement that touches no row. Empty when the centre has everything,
// or when it cannot be reached (the batch operations find that out for themselves); otherwise one
// message for the operator that names what lacks and the administrator's command that mends it.
QString MissingCentreNeeds(const QString& connectString, qint16 systemId);
