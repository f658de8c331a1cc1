#pragma once
// Settings a deployment gives the program outside it: environment variables, and a file
// one of them names. Both come back as code page 936, the program's own text.
#include <optional>
#include <string>
#include <string_view>

namespace text {

// The variable's value, or nothing when it is not set. The environment holds UTF-8 on
// Linux and UTF-16 on Windows, so a database under a Chinese folder name is still found.
std::optional<std::string> EnvironmentSetting(const char* name);

// The first line of a file only its owner may read (a login kept out of the environment),
// without its line end. A file that is missing, open to others, not a plain file, a link or
// larger than kConnectionFileLimit gives nothing at once, and a note on the standard error
// says why.
std::optional<std::string> OwnersFileFirstLine(const std::string& path);

// Who and where the program runs, as an issuing record names a desk: the machine's name
// and the name of the user the process runs as (empty when the system will not say).
std::string HostName();
std::string UserName();

// One line of a connection string is far less.
inline constexpr long long kConnectionFileLimit = 64 * 1024;

// The bytes before the first line end (LF or CR LF).
inline std::string FirstLine(std::string_view bytes) {
  std::string_view line = bytes.substr(0, bytes.find('\n'));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return std::string(line);
}

}  // namespace text
