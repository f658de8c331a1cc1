// brimlock-card: the encoder and the ticket lookup of the Brimlock window, from a shell.
#include <exception>

#include "commands.h"
#include "console.h"
#include "exit_status.h"
#include "options.h"
#include "resources/version.h"

namespace card {

int Fail(int status, const std::string& message) {
  Write(Stream::Err, "brimlock-card: " + message + "\n");
  return status;
}

}  // namespace card

int main(int argc, char** argv) {
  using namespace card;
  std::string problem;
  const std::optional<Options> options = ParseOptions(Arguments(argc, argv), problem);
  if (!options) return Fail(kBadInput, problem + "; see 'brimlock-card --help'");
  if (options->help) {
    Write(Stream::Out, kUsage);
    return kDone;
  }
  if (options->version) {
    Write(Stream::Out, std::string("brimlock-card ") + BRIMLOCK_VERSION_TEXT + "\n");
    return kDone;
  }
  try {
    if (options->command == "read") return RunRead(*options);
    if (options->command == "write") return RunWrite(*options);
    if (options->command == "reset") return RunReset(*options);
    if (options->command == "batch") return RunBatch(*options);
    return RunLookup(*options);
  } catch (const std::exception& e) {
    return Fail(kBadInput, std::string("stopped: ") + e.what());
  }
}
