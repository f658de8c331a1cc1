#pragma once
// JSON lines for other programs: one object per line, its text fields UTF-8, its keys in
// the order given (nlohmann-json's ordered object).
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace card {

using Json = nlohmann::ordered_json;

// The object and a line end; a text that is not UTF-8 has U+FFFD for its bad bytes.
std::string JsonLine(const Json& object);

// One card's outcome, as write and batch give it: {row, text, written, verified, error,
// message}. `written` and `verified` are null when not known (not checked); `error` is the
// word of `status` and, like `message`, null when the card is done.
std::string CardJsonLine(long row, const std::string& text, std::optional<bool> written, std::optional<bool> verified,
                         int status, const std::string& message);

}  // namespace card
