#include "platform/data/recordset.h"

#include <algorithm>

#include "platform/data/com_error.h"
#include "platform/data/connection.h"
#include "platform/data/odbc.h"
#include "platform/data/odbc_error.h"
#include "platform/text/characters.h"

namespace {

// Names match whatever the case of their ASCII letters; `b` is wide, or ASCII bytes.
template <class Char>
bool SameName(std::u16string_view a, std::basic_string_view<Char> b) {
  auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, Char y) {
           return lower(x) == lower(static_cast<char16_t>(y));
         });
}

}  // namespace

void Recordset::RequireOpen() const {
  if (!m_open) throw _com_error(adErrObjectClosed);
}

void Recordset::RequireColumn(long ordinal) const {
  RequireOpen();
  if (!IsColumn(ordinal)) throw _com_error(adErrItemNotFound);
}

long Recordset::GetState() { return m_open ? adStateOpen : adStateClosed; }

HRESULT Recordset::Open(const _variant_t& source, const _variant_t& activeConnection, CursorTypeEnum cursorType,
                        LockTypeEnum lockType, long options, const _variant_t& parameter) {
  std::vector<_variant_t> parameters;
  if (parameter.vt != VT_EMPTY) parameters.push_back(parameter);
  return Open(source, activeConnection, cursorType, lockType, options, parameters);
}

HRESULT Recordset::Open(const _variant_t& source, const _variant_t& activeConnection, CursorTypeEnum cursorType,
                        LockTypeEnum /*lockType*/, long options, const std::vector<_variant_t>& parameters) {
  if (m_open) throw _com_error(adErrObjectOpen);
  // A snapshot is read only, so the lock type has nothing to lock.
  if (cursorType != adOpenStatic || options != adCmdText || source.vt != VT_BSTR) {
    throw _com_error(adErrInvalidArgument);
  }
  auto* connection = dynamic_cast<Connection*>(activeConnection.object());
  if (connection == nullptr || connection->GetState() == adStateClosed) {
    throw _com_error(adErrInvalidConnection);
  }
  m_table = connection->Run(static_cast<_bstr_t>(source), parameters);
  MoveTo(0);
  m_open = true;
  return S_OK;
}

HRESULT Recordset::Close() {
  RequireOpen();
  m_open = false;
  m_table = odbc::Table();
  return S_OK;
}

bool Recordset::GetadoEOF() {
  RequireOpen();
  return m_position >= static_cast<long>(m_table.RowCount());
}

bool Recordset::GetBOF() {
  RequireOpen();
  return m_position < 0 || m_table.RowCount() == 0;
}

HRESULT Recordset::MoveNext() {
  if (GetadoEOF()) throw _com_error(adErrNoCurrentRecord);
  MoveTo(m_position + 1);
  return S_OK;
}

HRESULT Recordset::MoveFirst() {
  RequireOpen();
  if (m_table.RowCount() == 0) throw _com_error(adErrNoCurrentRecord);
  MoveTo(0);
  return S_OK;
}

HRESULT Recordset::MovePrevious() {
  if (GetBOF()) throw _com_error(adErrNoCurrentRecord);
  MoveTo(m_position - 1);
  return S_OK;
}

// The row at the new position, walked to from the one before where it can be.
void Recordset::MoveTo(long position) {
  const bool next = m_position >= 0 && position == m_position + 1;
  m_position = position;
  if (!IsRow(position)) return;
  m_row = next ? m_table.Next(m_row) : m_table.Find(static_cast<size_t>(position));
}

_variant_t Recordset::GetCollect(const _variant_t& index) {
  RequireOpen();
  if (index.vt != VT_BSTR) throw _com_error(adErrItemNotFound);
  return ValueAt(OrdinalOf(std::u16string_view(static_cast<_bstr_t>(index).wide())));
}

_variant_t Recordset::GetCollect(const char* name) {
  RequireOpen();
  return ValueAt(GetOrdinal(name));
}

_variant_t Recordset::GetCollect(long ordinal) {
  return ValueAt(ordinal);  // which requires the result set open
}

long Recordset::GetOrdinal(const char* name) {
  RequireOpen();
  const std::string_view bytes = name != nullptr ? name : "";
  // Only ASCII is the same byte for byte in the code page and in a wide name.
  if (!text::IsAscii(bytes)) return OrdinalOf(std::u16string_view(_bstr_t(name).wide()));
  return OrdinalOf(bytes);
}

bool Recordset::AllPrintableAscii(long ordinal) const {
  RequireColumn(ordinal);
  return m_table.AllPrintable(static_cast<size_t>(ordinal));
}

template <class Char>
long Recordset::OrdinalOf(std::basic_string_view<Char> name) const {
  const std::vector<std::u16string>& columns = m_table.columns;
  auto column = std::find_if(columns.begin(), columns.end(),
                             [&](const std::u16string& c) { return SameName(c, name); });
  if (column == columns.end()) throw _com_error(adErrItemNotFound);
  return static_cast<long>(column - columns.begin());
}

odbc::Cell Recordset::CellAt(long ordinal) const {
  RequireColumn(ordinal);
  if (!IsRow(m_position)) throw _com_error(adErrNoCurrentRecord);
  return m_table.At(m_row, static_cast<size_t>(ordinal));
}

_variant_t Recordset::ValueAt(long ordinal) {
  const odbc::Cell value = CellAt(ordinal);
  if (value.IsAscii()) return _variant_t(_bstr_t::FromAscii(value.Ascii()));
  if (!value.IsNull()) return _variant_t(_bstr_t(value.Wide()));
  _variant_t null;
  null.vt = VT_NULL;
  return null;
}
