#pragma once

#include <QString>
#include <QtGlobal>

// What the endorser prints on each sheet of a run: the fixed text, then the counter in at least
// `digits` digits, `top` from the sheet's top edge in 1/200 inch; the counter starts at `counter`
// and moves on by `step` a sheet.
struct Endorsement {
    QString fixedText;
    qint32 counter = 0;
    int digits = 0;
    int step = 1;
    qint32 top = 0;
};
