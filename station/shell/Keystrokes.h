#pragma once

#include <QString>

class QWidget;

// Sends keystrokes written as "{Home}+{End}" to a control: each named key is pressed and
// released, and "+" holds Shift down through the key after it. Unknown key names raise
// std::invalid_argument.
void SendKeystrokes(QWidget& target, const QString& keys);
