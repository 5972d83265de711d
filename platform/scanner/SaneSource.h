#pragma once

#include "controls/ControlError.h"
#include "scanner/IniSection.h"
#include "scanner/PageSource.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <map>

// A SANE device. Each page is one sane_start followed by sane_read to the end of the frame; the
// initialisation file names the device, the SANE sources for cards and for runs, and any
// further device options. A source whose name says "Duplex" delivers each sheet as its front
// and its back. A device with an `endorser` option prints the endorser's text on the paper.
class SaneSource : public PageSource {
  public:
    // Opens the device and sets its options. Throws ControlError: 20086 when there is no such
    // device or it does not answer, 20012 when it is busy.
    explicit SaneSource(const IniSection& settings);
    ~SaneSource() override;
    SaneSource(const SaneSource&) = delete;
    SaneSource& operator=(const SaneSource&) = delete;

    std::optional<bool> imprinterReady() override;
    void setImprint(const std::optional<Endorsement>& endorsement) override;
    void beginRun(Feed feed, std::optional<double> pageLength) override;
    void startPage() override;
    Page readPage() override;
    void cancelPage() override;
    bool sheetHasMorePages() const override { return duplex_ && frontRead_; }
    void finishPage() override {}
    void endRun() override;

  private:
    struct Option {
        SANE_Int index;
        const SANE_Option_Descriptor* descriptor;
    };

    // The device's options by name, read again whenever setting one asks for a reload.
    void readDescriptors();
    const Option* option(const char* name) const;
    // Sets a device option from its text; the option must exist when required is set.
    void setOption(const QString& name, const QString& value, bool required);
    // Sets a number (a SANE_Word: integer, fixed point or Boolean) and returns what the
    // device holds afterwards.
    SANE_Word setWord(const Option& option, SANE_Word value);
    std::optional<SANE_Word> word(const char* name) const;
    // The endorser's settings as device options, before the run; a value the device does not
    // take as given fails the run.
    void applyImprint();
    ControlError scanFailure(SANE_Status status) const;
    double resolution() const;

    SANE_Handle handle_ = nullptr;
    std::map<QString, Option> options_;
    QString cardSource_;
    QString feederSource_;
    SANE_Parameters parameters_{};
    std::optional<Endorsement> imprint_;
    bool running_ = false;
    bool duplex_ = false;
    bool frontRead_ = false;  // the page just read is the front of a duplex sheet
};
