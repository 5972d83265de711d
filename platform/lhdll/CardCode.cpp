#include "CardCode.h"

#include <charconv>
#include <limits>

#include "reader/ORLAProtocol7TypeDefs.h"

namespace lhdll {

using namespace ORLAProtocol7TypeDefs;

namespace {

constexpr std::string_view kPrefix = "LH1:";

// Types -3 and -2 are never printed: hosts have no use for them.
bool IsCardType(std::int16_t type) {
    return IsHeaderCard(type) || IsEnderCard(type) || IsBallot(type);
}

// Parses a canonical decimal integer (no plus sign, no leading zeros) filling all of text.
std::optional<int> ParseCanonical(std::string_view text) {
    const bool negative = text.starts_with('-');
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() || digits.size() > 5 || (digits.size() > 1 && digits[0] == '0') ||
        (negative && digits == "0")) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

bool IsValidCardCode(const CardCode& code) {
    if (!IsCardType(code.type)) {
        return false;
    }
    // Batch numbers become three digits of every image serial, so only 1 to 999 will do.
    return CarriesBatchNumber(code.type) ? code.batch >= 1 && code.batch <= 999 : code.batch == 0;
}

std::string FormatCardCode(const CardCode& code) {
    std::string text = std::string(kPrefix) + std::to_string(code.type);
    if (CarriesBatchNumber(code.type)) {
        text += ':' + std::to_string(code.batch);
    }
    return text;
}

std::optional<CardCode> ParseCardCode(std::string_view text) {
    if (!text.starts_with(kPrefix)) {
        return std::nullopt;
    }
    text.remove_prefix(kPrefix.size());
    const auto colon = text.find(':');
    const auto type = ParseCanonical(text.substr(0, colon));
    if (!type || *type < std::numeric_limits<std::int16_t>::min() ||
        *type > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    CardCode code{static_cast<std::int16_t>(*type), 0};
    if (colon != std::string_view::npos) {
        const auto batch = ParseCanonical(text.substr(colon + 1));
        if (!batch || !CarriesBatchNumber(code.type) || *batch < 1 || *batch > 999) {
            return std::nullopt;
        }
        code.batch = static_cast<std::int16_t>(*batch);
    }
    if (!IsValidCardCode(code)) {
        return std::nullopt;
    }
    return code;
}

}  // namespace lhdll
