#include "Checks.h"

#include <cstdio>

namespace check {

namespace {
int passed = 0;
int failed = 0;
}  // namespace

void That(bool ok, const std::string& what) {
    if (ok) {
        ++passed;
        return;
    }
    ++failed;
    std::printf("FAILED: %s\n", what.c_str());
}

void Equal(const std::wstring& actual, const std::wstring& expected, const std::string& what) {
    That(actual == expected,
         what + ": got \"" + Printable(actual) + "\", expected \"" + Printable(expected) + "\"");
}

void Status(HRESULT actual, HRESULT expected, const std::string& what) {
    char text[80];
    std::snprintf(text, sizeof text, ": status 0x%08lX, expected 0x%08lX",
                  static_cast<unsigned long>(actual), static_cast<unsigned long>(expected));
    That(actual == expected, what + text);
}

int Summary() {
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    return failed == 0 && passed > 0 ? 0 : 1;
}

std::string Printable(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != L'\\') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            out += escape;
        }
    }
    return out;
}

}  // namespace check
