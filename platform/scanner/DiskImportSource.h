#pragma once

#include "scanner/IniSection.h"
#include "scanner/PageSource.h"

#include <QString>
#include <vector>

// Folders of TIFF files stand for paper. The card slot holds cards, of which a card scan takes
// the oldest; the feeder holds ballots, which a run takes in name order. Every sheet fed is
// moved to the output tray. A TIFF file with two pages is a duplex sheet. Files whose names
// start with a dot are not sheets.
//
// The card slot and the feeder are reserved for as long as the source exists, by exclusive
// locks on the two folders, so a second station configured with the same folders is refused.
class DiskImportSource : public PageSource {
  public:
    // Throws ControlError 20086 when a folder does not exist, 20012 when another process has
    // reserved the card slot or the feeder.
    explicit DiskImportSource(const IniSection& settings);
    ~DiskImportSource() override;

    void beginRun(Feed feed, std::optional<double> pageLength) override;
    void startPage() override;
    Page readPage() override;
    bool sheetHasMorePages() const override;
    void finishPage() override;
    void endRun() override;

  private:
    QString nextSheet() const;
    void checkFolders() const;

    QString cardSlot_;
    QString feeder_;
    QString outputTray_;
    std::vector<int> locks_;
    Feed feed_ = Feed::CardSlot;
    QString sheet_;            // the sheet in the paper path
    std::vector<Page> pages_;  // its pages, read when its first page is read
    size_t page_ = 0;          // the page being scanned
};
