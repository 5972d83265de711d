#pragma once

#include <string>
#include <vector>

// One call and what the Linux encoder library gives for it (written by make-expected.sh).
struct Case {
    std::wstring function;  // report function name, e.g. Code128
    short number = 0;       // checkdigit or format, where the function has one
    std::wstring delim;
    std::wstring data;
    int error = 0;  // 0, or the run-time error number
    std::wstring error_text;
    std::wstring result;
    std::wstring data_after;

    // The method of interface _C: the report function name without its class name C.
    std::wstring Method() const { return function.substr(1); }
    // "Code128(format 1, "ABC")" for messages.
    std::string Name() const;
};

// Reads the UTF-16LE file of cases; throws std::runtime_error when it cannot.
std::vector<Case> ReadCases(const char* path);
