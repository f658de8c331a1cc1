#pragma once
// The pace of cards written without a read-back. The encoder learns of the next card only
// when the last is swiped, so such a run waits for the operator between cards: on a
// terminal for Enter, otherwise the seconds the operator named (--pace).
#include <optional>
#include <string>

namespace card {

// Why a run of several cards without a check cannot be paced, or nothing: no terminal to
// ask on, and no --pace.
std::optional<std::string> WhyUnpaced(std::optional<int> paceSeconds);
// Waits before the next card, telling the operator on a terminal what `next` is; false
// when a stop signal came meanwhile (or the terminal went away).
bool AwaitOperator(const std::string& next, std::optional<int> paceSeconds);

}  // namespace card
