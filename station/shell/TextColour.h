#pragma once

#include <QColor>
#include <QLabel>
#include <QPalette>

// A label's text colour, as lblBatch shows whether a batch is open.
inline void SetTextColour(QLabel& label, const QColor& colour) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, colour);
    label.setPalette(palette);
}
