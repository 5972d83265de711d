#pragma once

#include <QByteArray>

#include "CentreView.h"

// The centre's figures in Prometheus's text format. While the database cannot be read the
// figures of the last reading stay, and lindhollow_monitor_database_up says 0.
QByteArray MetricsText(const CentreView& view);
