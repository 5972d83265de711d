#pragma once

#include "controls/ControlError.h"
#include "controls/KScan.h"
#include "scanner/ImagingControl.h"
#include "scanner/IniSection.h"
#include "scanner/PageSource.h"
#include "scanner/PropertyStore.h"

#include <QPointer>
#include <memory>

// The scanner control. Action 8 loads the initialisation file and section named by properties
// 79 and 80 and opens the page source that the section names; Action 4 starts a run whose pages
// and errors arrive as events, one page per turn of the event loop.
class ScannerControl : public KScan {
    Q_OBJECT

  public:
    enum Numbered : int {
        PageLength = 47,
        IniFile = 79,
        IniSectionName = 80,
        ImageProcessing = 84,
        ErrorCode = 86,
        OutputFile = 96,
        MorePages = 97,  // read-only: the page ending does not complete an image
        Feeding = 67,    // read-only: a run is under way
        Setup = 112,     // kept; has no effect on these sources
    };

    explicit ScannerControl(QObject* parent = nullptr);
    ~ScannerControl() override;

    void write(int dispid, const PropertyValue& value) override;
    PropertyValue read(int dispid) override;

    bool isOpen() const { return source_ != nullptr; }

  private:
    void act(qint32 action);
    void open();
    void close();
    void startRun();
    void endRun();
    void post(void (ScannerControl::*step)());
    void beginPages();
    void scanPage();
    void storePage(Page& page);
    void fail(const ControlError& error);

    PropertyStore properties_;
    QPointer<ImagingControl> imaging_;
    std::unique_ptr<PageSource> source_;
    std::optional<IniSection> section_;  // the section loaded by Action 8
    quint64 run_ = 0;                    // numbers runs, so that steps of an ended run are dropped
    bool running_ = false;
    bool stopping_ = false;
    qint32 pagesDone_ = 0;
    qint32 side_ = 0;
    QString appendTo_;  // the file whose image the next page completes
};
