#pragma once

class QWidget;

// Yields to the event loop until the card's page is done or has failed (pageDone is set by the
// scanner's page-done or error event). Meanwhile the window takes no clicks, keys or close
// requests, so that no second operation starts inside the card scan; dialogs shown by the
// scanner's events still work.
void WaitForCardPage(QWidget& window, const bool& pageDone);
