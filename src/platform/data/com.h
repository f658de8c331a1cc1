#pragma once
// The COM runtime as the data-access objects need it: result codes, class ids, the
// apartment that must be entered before any object is created, and counted objects.
#include <cstdint>

#include "platform/text/wintypes.h"

constexpr HRESULT MakeHresult(std::uint32_t bits) { return static_cast<HRESULT>(bits); }

#if defined(_WIN32)
// On Windows the result codes, GUID and the apartment (CoInitialize, CoUninitialize) are
// the platform's own; the objects below live in its apartment.
#include <objbase.h>
#else
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOINTERFACE = MakeHresult(0x80004002);
constexpr HRESULT E_POINTER = MakeHresult(0x80004003);
constexpr HRESULT E_FAIL = MakeHresult(0x80004005);
constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000E);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHresult(0x80040110);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHresult(0x800401F0);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
  friend bool operator==(const GUID&, const GUID&) = default;
};
using CLSID = GUID;

// In-process server and handler, local and remote server.
constexpr DWORD CLSCTX_ALL = 0x17;

// Enters the apartment: the first call sets up the ODBC environment and answers S_OK,
// nested calls answer S_FALSE; each successful call is balanced by one CoUninitialize.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();
#endif

// clang-format off
inline constexpr CLSID CLSID_Connection = {
    0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
inline constexpr CLSID CLSID_Recordset = {
    0x00000535, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
// clang-format on

// Whether the calling program is inside the apartment (for checks of start-up order).
bool CoIsInitialized();

// A counted object: born with one reference, gone with the last Release.
class ComObject {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  ULONG AddRef() { return ++m_references; }
  ULONG Release();

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;

 private:
  ULONG m_references = 1;
};

namespace com_detail {
// Creates the object of class `clsid` and hands it out when it is of class `wanted`:
// CO_E_NOTINITIALIZED outside the apartment, REGDB_E_CLASSNOTREG for a class that does
// not exist here, E_NOINTERFACE when the class exists but is not the one the holder keeps.
HRESULT CreateObject(const CLSID& clsid, void* outer, const CLSID& wanted, ComObject** object);
}  // namespace com_detail
