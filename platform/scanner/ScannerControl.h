#pragma once

#include "controls/ControlError.h"
#include "controls/KScan.h"
#include "scanner/ImagingControl.h"
#include "scanner/IniSection.h"
#include "scanner/PageSource.h"
#include "scanner/PropertyStore.h"

#include <QPointer>
#include <memory>
#include <optional>
#include <thread>

// The scanner control. LoadSection loads the initialisation file and section named by IniFile and
// IniSectionName and opens the page source that the section names; StartFeeding starts a run
// whose pages and errors arrive as events, one page per turn of the event loop. Setup is kept and
// has no effect on these sources.
class ScannerControl : public KScan {
    Q_OBJECT

  public:
    explicit ScannerControl(QObject* parent = nullptr);
    ~ScannerControl() override;

    void write(int dispid, const PropertyValue& value) override;
    PropertyValue read(int dispid) override;

    bool isOpen() const { return source_ != nullptr; }
    // The device's own imprinter: nothing without one, else whether it can print now. While a
    // page is being read the device is not asked, and the last answer stands.
    std::optional<bool> imprinterReady();

  private:
    void act(qint32 action);
    void open();
    void close();
    void startRun();
    void endRun();
    void post(void (ScannerControl::*step)());
    void beginPages();
    void scanPage();
    void pageRead();
    void stopPageReader();
    void storePage(Page& page, bool morePages);
    void removePartialSheet();
    void fail(const ControlError& error);

    PropertyStore properties_;
    QPointer<ImagingControl> imaging_;
    std::unique_ptr<PageSource> source_;
    std::optional<IniSection> section_;  // the section loaded by LoadSection
    quint64 run_ = 0;                    // numbers runs, so that steps of an ended run are dropped
    bool running_ = false;
    bool stopping_ = false;
    qint32 pagesDone_ = 0;
    qint32 side_ = 0;
    QString appendTo_;  // the file whose image the next page goes on with, written partially
    // A page is read on a thread of its own, so that the event loop runs while the scanner
    // delivers it; what it read is taken on the control's thread once it has ended.
    std::thread pageReader_;
    Page readPage_;
    bool readMorePages_ = false;
    std::optional<ControlError> readFailure_;
    std::optional<bool> imprinterReady_;
};
