// The text carried by the QR code of every card and ballot (format in README.md).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lhdll {

struct CardCode {
    std::int16_t type = 0;
    std::int16_t batch = 0;  // 0 when the type carries no batch number
};

// True for the combinations this system prints and accepts.
bool IsValidCardCode(const CardCode& code);

std::string FormatCardCode(const CardCode& code);

// Accepts only the exact text FormatCardCode makes for a valid code.
std::optional<CardCode> ParseCardCode(std::string_view text);

}  // namespace lhdll
