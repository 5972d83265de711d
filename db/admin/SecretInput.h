#pragma once

#include <QString>

// Reads one line from standard input, without its line end. On a terminal the prompt is shown
// and what is typed is not echoed; from a pipe or file the line is read as it is.
QString ReadSecretLine(const QString& prompt);
