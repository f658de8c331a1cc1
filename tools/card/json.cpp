#include "json.h"

#include <cstdio>

#include "card_text.h"
#include "exit_status.h"

namespace card {
namespace {

void Quoted(std::string& out, std::string_view utf8) {
  out += '"';
  for (const char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (IsControl(c)) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

}  // namespace

std::string JsonLine(std::initializer_list<std::pair<const char*, JsonValue>> fields) {
  std::string out = "{";
  for (const auto& [name, value] : fields) {
    if (out.size() > 1) out += ',';
    Quoted(out, name);
    out += ':';
    switch (value.kind) {
      case JsonValue::Kind::String: Quoted(out, value.text); break;
      case JsonValue::Kind::Number: out += std::to_string(value.number); break;
      case JsonValue::Kind::Bool: out += value.flag ? "true" : "false"; break;
      case JsonValue::Kind::Null: out += "null"; break;
    }
  }
  return out + "}\n";
}

std::string CardJsonLine(long row, const std::string& text, std::optional<bool> written, std::optional<bool> verified,
                         int status, const std::string& message) {
  auto maybe = [](std::optional<bool> b) { return b ? JsonValue(*b) : JsonValue(std::nullopt); };
  return JsonLine({{"row", row},
                   {"text", text},
                   {"written", maybe(written)},
                   {"verified", maybe(verified)},
                   {"error", status == 0 ? JsonValue(std::nullopt) : JsonValue(StatusWord(status))},
                   {"message", message.empty() ? JsonValue(std::nullopt) : JsonValue(message)}});
}

}  // namespace card
