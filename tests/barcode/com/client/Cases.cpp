#include "Cases.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "Checks.h"

namespace {

std::vector<std::wstring> Split(const std::wstring& line, wchar_t separator) {
    std::vector<std::wstring> fields(1);
    for (wchar_t c : line) {
        if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

}  // namespace

std::string Case::Name() const {
    return check::Printable(function) + "(" + std::to_string(number) + ", \"" +
           check::Printable(delim) + "\", \"" + check::Printable(data) + "\")";
}

std::vector<Case> ReadCases(const char* path) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    if (!file.good() && !file.eof()) {
        throw std::runtime_error("cannot read the cases");
    }
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes[0] != '\xFF' || bytes[1] != '\xFE') {
        throw std::runtime_error("the cases are not UTF-16LE with a byte-order mark");
    }
    std::wstring text;
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    std::vector<Case> cases;
    for (std::wstring& line : Split(text, L'\n')) {
        if (line.empty()) {
            continue;
        }
        if (line.back() == L'\r') {
            line.pop_back();
        }
        const std::vector<std::wstring> fields = Split(line, L'\t');
        if (fields.size() != 8) {
            throw std::runtime_error("a case without its eight fields");
        }
        Case c;
        c.function = fields[0];
        c.number = fields[1].empty() ? 0 : static_cast<short>(std::stoi(fields[1]));
        c.delim = fields[2];
        c.data = fields[3];
        c.error = std::stoi(fields[4]);
        c.error_text = fields[5];
        c.result = fields[6];
        c.data_after = fields[7];
        cases.push_back(c);
    }
    if (cases.empty()) {
        throw std::runtime_error("no cases");
    }
    return cases;
}
