#pragma once

#include <QString>

// Which endorser a station with this initialisation file uses, in a sentence for whoever sets
// the station up: the scanner's own imprinter, the imprint drawn into the stored images, or
// none. The scanner's device is opened as the station opens it, and released again.
QString DescribeEndorser(const QString& scannerIni);
