#pragma once

#include <windows.h>

#include <string>

// A small check harness for the Windows test client: every check is counted, every failure
// printed with what was expected.
namespace check {

void That(bool ok, const std::string& what);

void Equal(const std::wstring& actual, const std::wstring& expected, const std::string& what);

void Status(HRESULT actual, HRESULT expected, const std::string& what);

// Prints "N passed, N failed" and gives the process exit code.
int Summary();

// Text for messages: printable ASCII as it is, everything else as \uXXXX.
std::string Printable(const std::wstring& text);

}  // namespace check

// An owned BSTR, freed at the end of its scope.
class Bstr {
  public:
    explicit Bstr(const std::wstring& text)
        : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value_); }

    BSTR* operator&() { return &value_; }
    BSTR get() const { return value_; }
    std::wstring text() const { return std::wstring(value_ ? value_ : L"", SysStringLen(value_)); }

  private:
    BSTR value_ = nullptr;
};
