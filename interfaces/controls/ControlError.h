#pragma once

#include <QString>
#include <stdexcept>

// The error numbers that the scanner controls raise from property writes and deliver with
// event 15. The station's messages depend on them.
namespace ScannerError {
constexpr int Reserved = 20012;      // another program holds the scanner
constexpr int FeederEmpty = 20025;   // no sheet left to feed
constexpr int PaperJam = 20026;      // a sheet could not be fed
constexpr int MultiFeed = 20122;     // more than one sheet was fed at once
constexpr int NotConnected = 20086;  // the scanner is absent or switched off
constexpr int General = 20100;       // any other failure; the description says what
}  // namespace ScannerError

// An error raised by a scanner-control property write: its number and description.
class ControlError : public std::runtime_error {
  public:
    ControlError(int number, const QString& description);

    int number() const { return number_; }
    QString description() const { return description_; }

  private:
    int number_;
    QString description_;
};
