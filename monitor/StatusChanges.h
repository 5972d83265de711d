#pragma once

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include "CentreSnapshot.h"

// When each station's status row last changed, as the readings saw it: the row itself keeps no
// time, yet an operator signing in or a new task is activity.
class StatusChanges {
  public:
    // Moves each station's last activity up to the last change of its status row seen by `now`.
    // The first sight of a row is no change.
    void Mark(QList<StationRow>& stations, const QDateTime& now);

  private:
    struct Seen {
        QString row;
        QDateTime changedAt;
    };
    QMap<int, Seen> seen_;
};
