#pragma once

#include "scanner/ImagingControl.h"
#include "scanner/Page.h"
#include "scanner/ScannerControl.h"
#include "support/DotText.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// A page of the given size, all white, at 200 dpi.
Page whitePage(int width, int height, Page::Format format = Page::Format::Bilevel);

// A sheet file of one page, or a duplex sheet of two.
void writeSheet(const QString& path, int pages = 1, int width = 400, int height = 600);

// What libtiff reports about a stored image file.
struct StoredImage {
    int pages = 0;
    int compression = 0;
    int bitsPerSample = 0;
    int width = 0;
    int height = 0;
};
StoredImage probe(const QString& path);

// Records the events of a scanner control as texts: "10", "11", "12", "14", "15 20025".
// During event 12 it names the output file as the station does, from the files list, and
// notes what MorePages read.
class EventLog {
  public:
    EventLog(ScannerControl& scanner, QStringList files = {});

    QStringList events;
    QStringList descriptions;  // of each event 15
    QList<bool> morePages;     // MorePages at each event 12
    // Runs inside the handler of event 14, after recording.
    std::function<void()> onPageDone;
    // The run has ended: an error arrived, or the scanner no longer feeds.
    bool ended() const;
    // Delivers events until the run has ended; false after a minute.
    bool waitForEnd() const;

  private:
    ScannerControl& scanner_;
    QStringList files_;
};
