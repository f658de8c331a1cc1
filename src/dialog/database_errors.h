#pragma once
// Data-access failures in steps that have no message of their own are shown as the error's
// text, and the program goes on.
#include "platform/data/ado.h"

void ReportDataAccessError(const _com_error& e);

// The boxes keep their texts; beside each, standard error gets the driver's own diagnostic
// and what to check, for whoever set the database up.
void NoteDataAccessError(const _com_error& e);
