// ports: the serial ports, what com1 and com2 stand for, and whether this user can open each.
#include "commands.h"
#include "console.h"
#include "exit_status.h"
#include "json.h"

namespace card {

int RunPorts(const Options& options) {
  std::string out;
  for (const PortInfo& port : ListPorts()) {
    const std::string state = port.usable ? "can be opened" : port.why;
    out += options.json ? JsonLine({{"port", port.name},
                                    {"device", port.device},
                                    {"usable", port.usable},
                                    {"why", port.usable ? Json(nullptr) : Json(port.why)}})
                        : port.name + "\t" + port.device + "\t" + state + "\n";
  }
  std::string why;
  if (!Write(Stream::Out, out, &why)) return Fail(kOutputFailed, "the ports could not be written: " + why);
  return kDone;
}

}  // namespace card
