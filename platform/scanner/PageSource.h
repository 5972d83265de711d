#pragma once

#include "scanner/Endorsement.h"
#include "scanner/Page.h"

#include <optional>

// Where the scanner control's pages come from. Failures are thrown as ControlError with the
// scanner error number that the station expects.
class PageSource {
  public:
    enum class Feed {
        CardSlot,  // a single card: one sheet
        Feeder,    // a run: sheets until stopped or empty
    };

    virtual ~PageSource() = default;

    // The device's own imprinter: nothing without one, else whether it can print now.
    virtual std::optional<bool> imprinterReady() { return std::nullopt; }
    // What the device's imprinter prints on each sheet of the next run, or nothing.
    virtual void setImprint(const std::optional<Endorsement>&) {}
    // Prepares a run; the page length in inches when the station has set one.
    virtual void beginRun(Feed feed, std::optional<double> pageLength) = 0;
    // Starts the next page: the next page of the current sheet or the first of a new sheet.
    virtual void startPage() = 0;
    // Runs off the control's thread; nothing else is called while it runs but cancelPage.
    virtual Page readPage() = 0;
    // Makes a readPage under way return soon; it may then fail.
    virtual void cancelPage() {}
    // Whether the sheet has a page after the one just read.
    virtual bool sheetHasMorePages() const = 0;
    // The page has been stored.
    virtual void finishPage() = 0;
    // Ends the run, also in the middle of a page.
    virtual void endRun() = 0;
};
