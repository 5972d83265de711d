#pragma once

#include "scanner/IniSection.h"
#include "scanner/PageSource.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

// A SANE device. Each page is one sane_start followed by sane_read to the end of the frame; the
// initialisation file names the device, the SANE sources for cards and for runs, and any
// further device options.
class SaneSource : public PageSource {
  public:
    // Opens the device and sets its options. Throws ControlError: 20086 when there is no such
    // device or it does not answer, 20012 when it is busy.
    explicit SaneSource(const IniSection& settings);
    ~SaneSource() override;
    SaneSource(const SaneSource&) = delete;
    SaneSource& operator=(const SaneSource&) = delete;

    void beginRun(Feed feed, std::optional<double> pageLength) override;
    void startPage() override;
    Page readPage() override;
    void cancelPage() override;
    bool sheetHasMorePages() const override { return false; }
    void finishPage() override {}
    void endRun() override;

  private:
    // Sets a device option from its text; the option must exist when required is set.
    void setOption(const QString& name, const QString& value, bool required);
    double resolution() const;

    SANE_Handle handle_ = nullptr;
    QString cardSource_;
    QString feederSource_;
    SANE_Parameters parameters_{};
    bool running_ = false;
};
