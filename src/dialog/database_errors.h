#pragma once
// Data-access failures in steps that have no message of their own are shown as the error's
// text, and the program goes on.
#include "platform/data/ado.h"

void ReportDataAccessError(const _com_error& e);
