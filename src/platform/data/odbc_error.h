#pragma once
// How a driver's diagnostic becomes the platform's error: one table from SQLSTATE to
// result code, the diagnostic kept as the error's information.
#include "platform/data/com_error.h"
#include "platform/data/odbc.h"

HRESULT HresultFromDiagnostic(const odbc::Failure& failure);
_com_error ComErrorFromOdbc(const odbc::Failure& failure);
