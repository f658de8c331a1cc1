#include "json.h"

#include "exit_status.h"

namespace card {

std::string JsonLine(const Json& object) { return object.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n"; }

std::string CardJsonLine(long row, const std::string& text, std::optional<bool> written, std::optional<bool> verified,
                         int status, const std::string& message) {
  auto maybe = [](std::optional<bool> b) { return b ? Json(*b) : Json(nullptr); };
  return JsonLine({{"row", row},
                   {"text", text},
                   {"written", maybe(written)},
                   {"verified", maybe(verified)},
                   {"error", status == 0 ? Json(nullptr) : Json(StatusWord(status))},
                   {"message", message.empty() ? Json(nullptr) : Json(message)}});
}

}  // namespace card
