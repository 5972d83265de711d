#include "SheetRequest.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <sstream>

#include "CardCode.h"
#include "reader/ORLAProtocol7TypeDefs.h"

namespace lhdll {

const char* const kMakeSheetUsage =
    "Usage: lhdll-make-sheet KIND [options] OUT.tif\n"
    "       lhdll-make-sheet --help | --version\n"
    "Makes a card or ballot image as scanned: 1700 x 2200 pixels, 200 dpi, 1-bit, Group 4.\n"
    "Kinds:\n"
    "  header --type T [--batch N]  header card; T is -6, -5 or -4; -6 and -4 need N, 1 to 999\n"
    "  ender                        ender card\n"
    "  ballot [--type T] [--marks LIST] [--printed SEED]\n"
    "                               ballot of type T (default 1; not -6 to -1), the bubbles\n"
    "                               of LIST filled in, e.g. 1,5,9 (bubbles 1 to 96); --printed\n"
    "                               prints contests, candidates, rules and boxes as on a real\n"
    "                               ballot, the names drawn from SEED (0 to 4294967295)\n"
    "  blank                        blank sheet\n"
    "  code --text TEXT             sheet whose card code carries TEXT (foreign cards)\n"
    "Options of every kind:\n"
    "  --skew DEG      turn the sheet by DEG degrees, -10 to 10, positive clockwise\n"
    "  --noise SEED    add scanner speckle drawn from SEED (0 to 4294967295)\n"
    "  --blot X,Y,W,H  spill ink over a rectangle, in pixels from the top left; repeatable\n";

namespace {

template <typename T>
std::optional<T> Number(const std::string& text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<int>> NumberList(const std::string& text) {
    std::vector<int> numbers;
    std::istringstream items(text);
    for (std::string item; std::getline(items, item, ',');) {
        const auto number = Number<int>(item);
        if (!number) {
            return std::nullopt;
        }
        numbers.push_back(*number);
    }
    return numbers;
}

using Options = std::map<std::string, std::vector<std::string>>;

std::variant<SheetDrawing, std::string> Drawing(const std::string& kind, const Options& options) {
    const auto one = [&](const std::string& name) -> std::optional<std::string> {
        const auto found = options.find(name);
        return found == options.end() ? std::nullopt : std::optional(found->second.back());
    };
    SheetDrawing drawing;
    if (kind == "header") {
        const auto text = one("--type");
        const auto type = text ? Number<std::int16_t>(*text) : std::nullopt;
        if (!type || !ORLAProtocol7TypeDefs::IsHeaderCard(*type)) {
            return "header needs --type -6, -5 or -4";
        }
        CardCode code{*type, 0};
        if (const auto batch = one("--batch")) {
            const auto number = Number<std::int16_t>(*batch);
            if (!number) {
                return "--batch needs a number";
            }
            code.batch = *number;
        }
        if (!IsValidCardCode(code)) {
            return ORLAProtocol7TypeDefs::CarriesBatchNumber(code.type)
                       ? "header type -6 and -4 need --batch 1 to 999"
                       : "header type -5 carries no batch number";
        }
        drawing.cardCode = FormatCardCode(code);
    } else if (kind == "ender") {
        drawing.cardCode = FormatCardCode({-1, 0});
    } else if (kind == "ballot") {
        const auto type = one("--type").value_or("1");
        const auto number = Number<std::int16_t>(type);
        if (!number || !ORLAProtocol7TypeDefs::IsBallot(*number)) {
            return "ballot --type must be a 16-bit number outside -6 to -1";
        }
        drawing.cardCode = FormatCardCode({*number, 0});
        drawing.bubbleGrid = true;
        if (const auto marks = one("--marks")) {
            const auto numbers = NumberList(*marks);
            if (!numbers) {
                return "--marks needs bubble numbers separated by commas";
            }
            for (const int n : *numbers) {
                if (n < 1 || n > layout::kBubbleCount) {
                    return "bubble " + std::to_string(n) + " does not exist (1 to " +
                           std::to_string(layout::kBubbleCount) + ")";
                }
            }
            drawing.marks = *numbers;
        }
        if (const auto seed = one("--printed")) {
            drawing.printSeed = Number<std::uint32_t>(*seed);
            if (!drawing.printSeed) {
                return "--printed needs a seed from 0 to 4294967295";
            }
        }
    } else if (kind == "code") {
        drawing.cardCode = one("--text");
        if (!drawing.cardCode || drawing.cardCode->empty()) {
            return "code needs --text";
        }
    } else if (kind != "blank") {
        return "unknown kind " + kind;
    }
    for (const auto& blot :
         options.contains("--blot") ? options.at("--blot") : std::vector<std::string>{}) {
        const auto numbers = NumberList(blot);
        if (!numbers || numbers->size() != 4 || (*numbers)[2] < 0 || (*numbers)[3] < 0) {
            return "--blot needs X,Y,W,H";
        }
        drawing.blots.push_back({(*numbers)[0], (*numbers)[1], (*numbers)[2], (*numbers)[3]});
    }
    return drawing;
}

// Which options each kind takes, beyond those every kind takes.
const std::map<std::string, std::vector<std::string>> kKindOptions = {
    {"header", {"--type", "--batch"}},
    {"ender", {}},
    {"ballot", {"--type", "--marks", "--printed"}},
    {"blank", {}},
    {"code", {"--text"}}};

bool Takes(const std::string& kind, const std::string& option) {
    if (option == "--skew" || option == "--noise" || option == "--blot") {
        return true;
    }
    const auto found = kKindOptions.find(kind);
    return found != kKindOptions.end() &&
           std::find(found->second.begin(), found->second.end(), option) != found->second.end();
}

}  // namespace

std::variant<SheetRequest, std::string> ParseSheetRequest(const std::vector<std::string>& args) {
    if (args.empty()) {
        return "no kind of sheet given";
    }
    const std::string& kind = args[0];
    Options options;
    std::vector<std::string> positional;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (!args[i].starts_with("--")) {
            positional.push_back(args[i]);
        } else if (!Takes(kind, args[i])) {
            return args[i] + " does not apply to " + kind;
        } else if (i + 1 == args.size()) {
            return args[i] + " needs a value";
        } else {
            options[args[i]].push_back(args[i + 1]);
            ++i;
        }
    }
    if (positional.size() != 1) {
        return "give exactly one output file";
    }
    auto drawing = Drawing(kind, options);
    if (const auto* error = std::get_if<std::string>(&drawing)) {
        return *error;
    }
    SheetRequest request{std::get<SheetDrawing>(std::move(drawing)), 0, std::nullopt,
                         positional[0]};
    if (options.contains("--skew")) {
        const auto skew = Number<double>(options["--skew"].back());
        if (!skew || !std::isfinite(*skew) || std::abs(*skew) > 10) {
            return "--skew needs degrees from -10 to 10";
        }
        request.skewDegrees = *skew;
    }
    if (options.contains("--noise")) {
        request.noiseSeed = Number<std::uint32_t>(options["--noise"].back());
        if (!request.noiseSeed) {
            return "--noise needs a seed from 0 to 4294967295";
        }
    }
    return request;
}

Bitmap MakeSheet(const SheetRequest& request) {
    Bitmap page = DrawSheet(request.drawing);
    if (request.skewDegrees != 0) {
        page = Skew(page, request.skewDegrees);
    }
    if (request.noiseSeed) {
        AddSpeckle(page, *request.noiseSeed);
    }
    return page;
}

}  // namespace lhdll
