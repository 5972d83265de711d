#pragma once

#include <QString>
#include <QtGlobal>
#include <exception>

struct NumberedError {
    qint64 number;
    QString description;
};

// The number and description of an unexpected error (numbers below).
NumberedError Numbered(const std::exception& error);

// An unexpected error as the batch operations show it: its number, a line break (carriage
// return and line feed) and its description.
//
// Numbers: the scanner controls' and the ballot-reading library's own; -2147467259 for a
// database failure, as the database client reports a provider error; 75 for a file or folder
// that cannot be used; 7 for memory that runs out; 51 for anything else.
QString ErrorText(const std::exception& error);
