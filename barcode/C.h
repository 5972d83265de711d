#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace fernlowe {

// A run-time error that ends a report function call without a result: number 5
// (invalid procedure call or argument) or 6 (overflow).
class ReportFunctionError : public std::runtime_error {
  public:
    ReportFunctionError(int number, const char* text) : std::runtime_error(text), number_(number) {}
    int number() const { return number_; }

  private:
    int number_;
};

// The report functions: each turns a field's data into the text that the matching barcode
// font prints as a complete symbol. The host names them by class and method, so C::ode39
// is the report function Code39. The class holds no state.
class C {
  public:
    std::u16string ode39(const std::u16string& yourdata, std::int16_t checkdigit,
                         const std::u16string& delim) const;
    // Leaves the digits actually encoded in yourdata.
    std::u16string odeITF(std::u16string& yourdata, std::int16_t checkdigit) const;
    // Leaves the symbol text without its stop character in yourdata. Throws
    // ReportFunctionError 5 for an empty symbol text and 6 when the check sum overflows;
    // yourdata then holds the symbol text as far as it was built.
    std::u16string ode128(std::u16string& yourdata, std::int16_t format) const;
    std::u16string odeUPCA(const std::u16string& yourdata) const;
    std::u16string odeEAN13(const std::u16string& yourdata) const;
    std::u16string odeEAN8(const std::u16string& yourdata) const;

  private:
    static std::string Code39CheckChar(std::string_view text);
    static std::string Code128PackPairs(std::string_view text);
    static void Code128RemapChars(std::span<char> text);  // in place
};

}  // namespace fernlowe
