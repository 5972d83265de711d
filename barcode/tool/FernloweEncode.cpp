// fernlowe-encode: calls one report function from the command line and shows or draws its
// result, so that users can check what their reports will print.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "C.h"
#include "LindhollowVersion.h"
#include "Picture.h"
#include "PngFile.h"
#include "Utf8.h"
#include "Windows1252.h"

namespace {

using fernlowe::Utf16FromWindows1252;
using fernlowe::Windows1252FromUtf16;

constexpr const char* kUsage =
    "usage: fernlowe-encode {Code39 --checkdigit N --delim TEXT | CodeITF --checkdigit N | "
    "Code128 --format N | CodeUPCA | CodeEAN13 | CodeEAN8} [--codes] [--show-data] "
    "[--svg FILE] [--png FILE] {DATA | --data-codes \"N N ...\"}\n"
    "       fernlowe-encode --help | --version";

struct BadCommandLine : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string function;
    std::int16_t number = 0;  // checkdigit or format
    std::u16string delim;
    std::u16string yourdata;
    bool codes = false;
    bool show_data = false;
    std::optional<std::string> svg;
    std::optional<std::string> png;
};

std::int16_t Int16(const std::string& name, const std::string& text) {
    std::int16_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw BadCommandLine(name + " needs a whole number from -32768 to 32767");
    }
    return value;
}

std::u16string Utf16Argument(const std::string& name, const std::string& bytes) {
    std::optional<std::u16string> text = fernlowe::tool::Utf16FromUtf8(bytes);
    if (!text) {
        throw BadCommandLine(name + " is not UTF-8 text");
    }
    return *text;
}

std::u16string DataCodes(const std::string& list) {
    std::string codes;
    const char* p = list.data();
    const char* const end = list.data() + list.size();
    while (true) {
        while (p != end && *p == ' ') {
            ++p;
        }
        if (p == end) {
            break;
        }
        unsigned value = 0;
        const auto [next, error] = std::from_chars(p, end, value);
        if (error != std::errc() || value > 255 || (next != end && *next != ' ')) {
            throw BadCommandLine("--data-codes needs decimal codes 0 to 255 separated by blanks");
        }
        codes.push_back(static_cast<char>(value));
        p = next;
    }
    return Utf16FromWindows1252(codes);
}

Options Parse(int argc, char** argv) {
    // The report function's own arguments besides the data; none of them is optional.
    static const std::map<std::string, std::vector<std::string>> kArguments = {
        {"Code39", {"--checkdigit", "--delim"}},
        {"CodeITF", {"--checkdigit"}},
        {"Code128", {"--format"}},
        {"CodeUPCA", {}},
        {"CodeEAN13", {}},
        {"CodeEAN8", {}},
    };
    if (argc < 2 || !kArguments.contains(argv[1])) {
        throw BadCommandLine("the first argument names the report function");
    }
    Options options;
    options.function = argv[1];
    const std::vector<std::string>& arguments = kArguments.at(options.function);
    std::map<std::string, std::string> values;
    std::vector<std::string> positional;
    bool options_end = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options_end || !arg.starts_with("--")) {
            positional.push_back(arg);
        } else if (arg == "--") {
            options_end = true;
        } else if (arg == "--codes") {
            options.codes = true;
        } else if (arg == "--show-data") {
            options.show_data = true;
        } else if (std::find(arguments.begin(), arguments.end(), arg) != arguments.end() ||
                   arg == "--data-codes" || arg == "--svg" || arg == "--png") {
            if (i + 1 == argc) {
                throw BadCommandLine(arg + " needs a value");
            }
            if (!values.emplace(arg, argv[++i]).second) {
                throw BadCommandLine(arg + " is given twice");
            }
        } else {
            throw BadCommandLine("unknown option " + arg + " for " + options.function);
        }
    }
    for (const std::string& name : arguments) {
        if (!values.contains(name)) {
            throw BadCommandLine(options.function + " needs " + name);
        }
    }
    if (values.contains("--checkdigit")) {
        options.number = Int16("--checkdigit", values["--checkdigit"]);
    }
    if (values.contains("--format")) {
        options.number = Int16("--format", values["--format"]);
    }
    if (values.contains("--delim")) {
        options.delim = Utf16Argument("--delim", values["--delim"]);
    }
    const bool by_codes = values.contains("--data-codes");
    if (positional.size() != (by_codes ? 0u : 1u)) {
        throw BadCommandLine("give the data once, as DATA or with --data-codes");
    }
    options.yourdata =
        by_codes ? DataCodes(values["--data-codes"]) : Utf16Argument("DATA", positional[0]);
    if (values.contains("--svg")) {
        options.svg = values["--svg"];
    }
    if (values.contains("--png")) {
        options.png = values["--png"];
    }
    return options;
}

std::string Show(const std::u16string& text, bool as_codes) {
    if (!as_codes) {
        return fernlowe::tool::Utf8FromUtf16(text);
    }
    std::string line;
    for (char code : Windows1252FromUtf16(text)) {
        line += (line.empty() ? "" : " ") + std::to_string(static_cast<unsigned char>(code));
    }
    return line;
}

// Throws fernlowe::ReportFunctionError.
std::u16string Call(Options& options) {
    const fernlowe::C c;
    if (options.function == "Code39") {
        return c.ode39(options.yourdata, options.number, options.delim);
    }
    if (options.function == "CodeITF") {
        return c.odeITF(options.yourdata, options.number);
    }
    if (options.function == "Code128") {
        return c.ode128(options.yourdata, options.number);
    }
    if (options.function == "CodeUPCA") {
        return c.odeUPCA(options.yourdata);
    }
    if (options.function == "CodeEAN13") {
        return c.odeEAN13(options.yourdata);
    }
    return c.odeEAN8(options.yourdata);
}

// Throws std::invalid_argument when the font cannot print the result.
fernlowe::draw::Symbol Draw(const Options& options, const std::u16string& result) {
    const std::string codes = Windows1252FromUtf16(result);
    if (options.function == "Code39") {
        return fernlowe::draw::DrawCode39(codes, Windows1252FromUtf16(options.delim));
    }
    if (options.function == "CodeITF") {
        return fernlowe::draw::DrawInterleaved2of5(codes);
    }
    if (options.function == "Code128") {
        return fernlowe::draw::DrawCode128(codes);
    }
    return fernlowe::draw::DrawUpcEan(codes);
}

// False, with a message, when a picture cannot be drawn or written.
bool WritePictures(const Options& options, const std::u16string& result) {
    if (!options.svg && !options.png) {
        return true;
    }
    fernlowe::draw::Symbol symbol;
    try {
        symbol = Draw(options, result);
    } catch (const std::invalid_argument& e) {
        std::cerr << "fernlowe-encode: cannot draw: " << e.what() << '\n';
        return false;
    }
    if (options.svg) {
        std::ofstream file(*options.svg, std::ios::binary);
        file << fernlowe::draw::Svg(symbol);
        if (!file.flush()) {
            std::cerr << "fernlowe-encode: cannot write " << *options.svg << '\n';
            return false;
        }
    }
    if (options.png &&
        !fernlowe::tool::WritePng(fernlowe::draw::Rasterize(symbol, 3), *options.png)) {
        std::cerr << "fernlowe-encode: cannot write " << *options.png << '\n';
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (argv[1] == std::string("--help") || argv[1] == std::string("-h"))) {
        std::cout << "Prints the text that a Fernlowe barcode font prints as the symbol of DATA.\n"
                  << kUsage << '\n';
        return 0;
    }
    if (argc == 2 && argv[1] == std::string("--version")) {
        std::cout << "fernlowe-encode " << LINDHOLLOW_VERSION << '\n';
        return 0;
    }
    Options options;
    try {
        options = Parse(argc, argv);
    } catch (const BadCommandLine& e) {
        std::cerr << "fernlowe-encode: " << e.what() << '\n' << kUsage << '\n';
        return 2;
    }
    std::u16string result;
    try {
        result = Call(options);
    } catch (const fernlowe::ReportFunctionError& e) {
        std::cerr << "error " << e.number() << ": " << e.what() << '\n';
        return 1;
    }
    std::cout << Show(result, options.codes) << '\n';
    if (options.show_data) {
        std::cout << Show(options.yourdata, options.codes) << '\n';
    }
    std::cout.flush();
    return WritePictures(options, result) ? 0 : 1;
}
