#pragma once

#include <QApplication>
#include <QList>
#include <QStringList>
#include <memory>

class TestStation;

// The application object of a benchmark of whole stations: the ballot-reading library they load,
// their windows on a screen that needs no display, and the station's name, under which its
// settings lie.
std::unique_ptr<QApplication> StationApplication(int& argc, char** argv);

// Starts the station, then batch 7 of station 3 opened on it and scanned into its batch folder as
// `images` images, its ender card read: a header card, a ballot for each of `ballots` (the sheet
// maker's arguments), copies of those ballots in turn, and the ender card; each image sealed.
void ScanBatchSeven(TestStation& station, qint32 images, const QList<QStringList>& ballots);
