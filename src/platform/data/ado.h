#pragma once
// The data-access objects as the program uses them: COM start and stop, the holders
// _ConnectionPtr and _RecordsetPtr, the values they take and give, and _com_error.
#include "platform/data/ado_types.h"
#include "platform/data/bstr.h"
#include "platform/data/com.h"
#include "platform/data/com_error.h"
#include "platform/data/com_ptr.h"
#include "platform/data/connection.h"
#include "platform/data/recordset.h"
#include "platform/data/variant.h"

using _ConnectionPtr = _com_ptr_t<Connection>;
using _RecordsetPtr = _com_ptr_t<Recordset>;
