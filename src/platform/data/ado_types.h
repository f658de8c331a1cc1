#pragma once
// The data-access objects' enumerations and their own failure codes.
#include "platform/data/com.h"

enum ObjectStateEnum : long { adStateClosed = 0, adStateOpen = 1 };
enum CursorTypeEnum : long { adOpenStatic = 3 };
enum LockTypeEnum : long { adLockReadOnly = 1, adLockOptimistic = 3 };
enum CommandTypeEnum : long { adCmdText = 1 };
enum ConnectOptionEnum : long { adConnectUnspecified = -1 };

// Codes the objects raise for misuse; they have no system text, so the operator would
// see "Unknown error 0x800A...".
constexpr HRESULT adErrInvalidArgument = MakeHresult(0x800A0BB9);    // an argument not offered here
constexpr HRESULT adErrNoCurrentRecord = MakeHresult(0x800A0BCD);    // BOF or EOF is true
constexpr HRESULT adErrItemNotFound = MakeHresult(0x800A0CC1);       // no column of that name
constexpr HRESULT adErrObjectClosed = MakeHresult(0x800A0E78);       // not allowed while closed
constexpr HRESULT adErrObjectOpen = MakeHresult(0x800A0E79);         // not allowed while open
constexpr HRESULT adErrProviderNotFound = MakeHresult(0x800A0E7A);   // unknown Provider=
constexpr HRESULT adErrInvalidConnection = MakeHresult(0x800A0E7D);  // no open connection given

// The provider's codes mapped from the drivers' diagnostics.
constexpr HRESULT DB_E_ERRORSINCOMMAND = MakeHresult(0x80040E14);
constexpr HRESULT DB_E_ABORTLIMITREACHED = MakeHresult(0x80040E31);  // timed out
constexpr HRESULT DB_SEC_E_AUTH_FAILED = MakeHresult(0x80040E4D);    // login failed
