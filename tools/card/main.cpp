// brimlock-card: the encoder and the ticket lookup of the Brimlock window, from a shell.
#include <algorithm>
#include <exception>

#include "commands.h"
#include "console.h"
#include "exit_status.h"
#include "options.h"
#include "platform/data/driver_environment.h"
#include "resources/version.h"

int main(int argc, char** argv) {
  using namespace card;
  odbc::PrepareDriverEnvironment();
  PrepareStandardStreams();
  std::string problem;
  const std::vector<std::string> arguments = Arguments(argc, argv);
  const std::optional<Options> options = ParseOptions(arguments, problem);
  if (!options) {
    // A script that asked for JSON gets its object for a command line it got wrong too.
    ReportFailuresAsJson(std::find(arguments.begin(), arguments.end(), "--json") != arguments.end());
    return Fail(kBadInput, problem + "; see 'brimlock-card --help'");
  }
  ReportFailuresAsJson(options->json);
  if (options->help || options->version || options->completionWords) {
    const std::string text = options->help      ? Usage()
                             : options->version ? std::string("brimlock-card ") + BRIMLOCK_VERSION_TEXT + "\n"
                                                : CompletionWords();
    std::string why;
    if (!Write(Stream::Out, text, &why)) return Fail(kOutputFailed, "the text could not be written: " + why);
    return kDone;
  }
  try {
    return FindCommand(options->command)->run(*options);
  } catch (const std::exception& e) {
    return Fail(kBadInput, std::string("stopped: ") + e.what());
  }
}
