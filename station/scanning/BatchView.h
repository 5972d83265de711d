#pragma once

#include <QString>
#include <QtGlobal>

#include "scanning/StationMode.h"

// What the operator has set in the endorser frame.
struct EndorserChoice {
    bool activated;   // the check box is checked (not grayed)
    qint32 position;  // the option button chosen: 1 First Scan to 4 Fourth Scan, 0 none
};

// The main window as the batch cycle sees it: what the cycle shows there, and what it asks of it.
class BatchView {
  public:
    virtual ~BatchView() = default;

    // Sets every button for the mode.
    virtual void updateInterface(StationMode mode) = 0;
    // lblBatch: its caption, in black while a batch is open and in red once it is closed or lost.
    virtual void ShowBatch(const QString& caption, bool open) = 0;
    // lblImageCount's caption.
    virtual void ShowImageCount(const QString& caption) = 0;
    // pbarDB: StartProgress empties it for a pass of the given number of steps; AdvanceProgress
    // moves it one step, never past the last; ClearProgress empties it.
    virtual void StartProgress(qint32 steps) = 0;
    virtual void AdvanceProgress() = 0;
    virtual void ClearProgress() = 0;
    virtual void FocusStartBatch() = 0;
    virtual void FocusStartScanner() = 0;
    virtual EndorserChoice Endorser() const = 0;
    // Yields to the event loop until pageDone is set by the scanner's events; the window takes no
    // clicks, keys or close requests meanwhile, while dialogs shown by the events still work.
    virtual void WaitForCardPage(const bool& pageDone) = 0;
};
