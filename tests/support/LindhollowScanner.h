#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// SANE's configuration for the tests: its dll backend loads SANE's test backend and our own
// lindhollow backend (from the build), which emulates a sheet-fed scanner with an imprinter.
// SANE reads the folder's name once per process, so one folder serves every test; it is made
// and named in the environment at the first call.
QDir SaneTestConfig();

// The lindhollow device "station" of that configuration, feeding from a folder of `home` and
// stacking into another. Sheets are TIFF files taken in name order; every option the station
// sets on the device is logged.
class LindhollowDevice {
  public:
    // `settings`: more words of the device's line, such as "ink=5" or "imprinter=no".
    explicit LindhollowDevice(const QDir& home, const QString& settings = {});

    static QString name() { return QStringLiteral("lindhollow:station"); }
    QString feeder() const { return home_.filePath(QStringLiteral("adf")); }
    QString tray() const { return home_.filePath(QStringLiteral("stacker")); }
    // A sheet of one white page, or a front and back; `fault`: what befalls it when fed (jam,
    // double-feed, cover-open, gone).
    void putSheet(const QString& name, int sides = 1, const QString& fault = {}) const;
    // Every option set on the device so far, as name=value.
    QStringList optionsSet() const;

  private:
    QDir home_;
};
