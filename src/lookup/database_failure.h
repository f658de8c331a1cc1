#pragma once
// What a failed data-access step tells the one who set the database up: the driver's own
// diagnostic, and one line of what to check. The window keeps its boxes as they are and
// writes this to standard error beside them; brimlock-card prints it with its message.
#include <string>

#include "platform/data/ado.h"

// "SQLSTATE 08001: <the driver's message>" (UTF-8), or the error's own text when the driver
// said nothing.
std::string FailureDiagnostic(const _com_error& e);

// One line for the operator or integrator: where to look, judged from the SQLSTATE (and for
// drivers that give none of their own, from the message).
std::string WhatToCheck(const _com_error& e);
