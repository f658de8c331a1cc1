#pragma once
// The five commands; each gives its exit status and has printed what it found.
#include "options.h"

namespace card {

int RunRead(const Options& options);
int RunWrite(const Options& options);
int RunReset(const Options& options);
int RunBatch(const Options& options);
int RunLookup(const Options& options);

}  // namespace card
