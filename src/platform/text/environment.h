#pragma once
// Settings a deployment gives the program outside it: environment variables, and a file
// one of them names. Both come back as code page 936, the program's own text.
#include <optional>
#include <string>

namespace text {

// The variable's value, or nothing when it is not set. The environment holds UTF-8 on
// Linux and UTF-16 on Windows, so a database under a Chinese folder name is still found.
std::optional<std::string> EnvironmentSetting(const char* name);

// The first line of a file only its owner may read (a login kept out of the environment),
// without its line end. A file that is missing or open to others gives nothing, and a note
// on the standard error says why.
std::optional<std::string> OwnersFileFirstLine(const std::string& path);

}  // namespace text
