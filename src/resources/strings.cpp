#include <iterator>

#include "platform/text/CString.h"
#include "resources/resource.h"

namespace {
const StringResource kStringTable[] = {
    {IDS_ABOUTBOX, "关于 Brimlock(&A)..."},
};
// Registered before main runs, as the platform's resources are there before the program.
const bool kRegistered = (AfxSetStringTable(kStringTable, std::size(kStringTable)), true);
}  // namespace
