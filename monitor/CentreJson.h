#pragma once

#include <QByteArray>
#include <QList>

#include "CentreSnapshot.h"
#include "CentreView.h"

// The JSON documents of the endpoints. Batch times are the stations' local times without an
// offset ("2026-12-07T14:05:00"), anchor times UTC with a Z; a value the database leaves empty is
// null. Every document says whether its figures are stale.
QByteArray StationsJson(const CentreView& view);
QByteArray TotalsJson(const CentreView& view);
QByteArray BatchesJson(const CentreView& view, const QList<BatchRow>& batches);
// All the page shows, in one document.
QByteArray OverviewJson(const CentreView& view);
