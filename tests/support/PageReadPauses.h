// The event loop's turns while a scanner control reads a page: from the page's start (event 11)
// to the first turn after its end (event 12). The longest pause between two of them is the
// latency a window sees while the page is read.
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "controls/KScan.h"

class PageReadPauses {
  public:
    // duringRead runs once, at the loop's first turn inside the read.
    explicit PageReadPauses(KScan& scanner, std::function<void()> duringRead = {})
        : duringRead_(std::move(duringRead)) {
        clock_.start();
        QObject::connect(&scanner, &KScan::event11, &tick_, [this] {
            pageEnd_ = -1;
            turns_ = {pageStart_ = clock_.elapsed()};
        });
        QObject::connect(&scanner, &KScan::event12, &tick_,
                         [this] { pageEnd_ = clock_.elapsed(); });
        QObject::connect(&tick_, &QTimer::timeout, [this] { Turn(); });
        tick_.start(5);
    }

    // Of the last page.
    qint64 PageMilliseconds() const { return pageEnd_ - pageStart_; }
    qint64 LongestPause() const {
        qint64 longest = 0;
        for (int i = 1; i < turns_.size(); ++i) {
            longest = std::max(longest, turns_[i] - turns_[i - 1]);
        }
        return longest;
    }

  private:
    void Turn() {
        if (pageStart_ < 0 || (pageEnd_ >= 0 && turns_.last() >= pageEnd_)) {
            return;
        }
        turns_.append(clock_.elapsed());
        if (pageEnd_ < 0 && turns_.size() == 2 && duringRead_) {
            std::exchange(duringRead_, {})();
        }
    }

    std::function<void()> duringRead_;
    QElapsedTimer clock_;
    QTimer tick_;
    qint64 pageStart_ = -1;
    qint64 pageEnd_ = -1;
    QList<qint64> turns_;
};
