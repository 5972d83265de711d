#include "shell/Dialogs.h"

#include <QCoreApplication>

QString ShownTitle(const QString& title) {
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}
