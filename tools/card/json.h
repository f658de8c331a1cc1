#pragma once
// JSON lines for other programs: one object per line, its text fields UTF-8.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace card {

// A field's value, written as JSON: a string, a number, true/false, or null.
struct JsonValue {
  enum class Kind { String, Number, Bool, Null } kind;
  std::string text{};
  long number = 0;
  bool flag = false;

  JsonValue(const char* s) : kind(Kind::String), text(s) {}             // NOLINT: a field's value
  JsonValue(std::string s) : kind(Kind::String), text(std::move(s)) {}  // NOLINT
  JsonValue(long n) : kind(Kind::Number), number(n) {}                  // NOLINT
  JsonValue(bool b) : kind(Kind::Bool), flag(b) {}                      // NOLINT
  JsonValue(std::nullopt_t) : kind(Kind::Null) {}                       // NOLINT
};

// {"name":value,...} and a line end.
std::string JsonLine(std::initializer_list<std::pair<const char*, JsonValue>> fields);

// One card's outcome, as write and batch give it: {row, text, written, verified, error,
// message}. `written` and `verified` are null when not known (not checked); `error` is the
// word of `status` and, like `message`, null when the card is done.
std::string CardJsonLine(long row, const std::string& text, std::optional<bool> written, std::optional<bool> verified,
                         int status, const std::string& message);

}  // namespace card
