#include "controls/ControlError.h"

ControlError::ControlError(int number, const QString& description)
    : std::runtime_error(QString::number(number).append(u' ').append(description).toStdString()),
      number_(number),
      description_(description) {}
