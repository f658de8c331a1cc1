#pragma once
// The result set: a static snapshot. Open runs the statement and fetches every row; the
// moves and reads after it only walk the rows in memory.
//
// Position, as on the platform: after Open the first row (for no rows both BOF and EOF
// are true). MoveNext from the last row reaches EOF, MovePrevious from the first reaches
// BOF, MovePrevious from EOF the last row; moving on from EOF or BOF raises.
#include <optional>
#include <string_view>
#include <vector>

#include "platform/data/ado_types.h"
#include "platform/data/com.h"
#include "platform/data/table.h"
#include "platform/data/variant.h"

class Recordset : public ComObject {
 public:
  static const CLSID& ClassId() { return CLSID_Recordset; }

  long GetState();  // adStateClosed or adStateOpen
  // `source` is the statement text; `activeConnection` holds an open Connection. The
  // statement's one `?` takes `parameter` as a bound value (text, or VT_NULL); with the
  // default VT_EMPTY nothing is bound. Only adOpenStatic and adCmdText are offered.
  HRESULT Open(const _variant_t& source, const _variant_t& activeConnection, CursorTypeEnum cursorType,
               LockTypeEnum lockType, long options, const _variant_t& parameter = _variant_t());
  // The same with one value for each `?` of the statement, in order.
  HRESULT Open(const _variant_t& source, const _variant_t& activeConnection, CursorTypeEnum cursorType,
               LockTypeEnum lockType, long options, const std::vector<_variant_t>& parameters);
  HRESULT Close();  // raises adErrObjectClosed when not open

  bool GetadoEOF();  // past the last row
  bool GetBOF();     // before the first row
  HRESULT MoveNext();
  HRESULT MovePrevious();
  HRESULT MoveFirst();  // to the first row; raises when there is none, as the platform does
  // The current row's value of the column named `index` (any case): VT_NULL for a
  // database NULL, else VT_BSTR with the driver's text form of the value.
  _variant_t GetCollect(const _variant_t& index);
  // The same for a name in code page 936, found without a variant made of it first: a
  // lookup reads every value of every row this way.
  _variant_t GetCollect(const char* name);
  // The same for the column at `ordinal` (from 0), as the platform's Fields take it: a
  // lookup finds its columns once and reads every row by their places.
  _variant_t GetCollect(long ordinal);
  // The place of the column named `name` (any case), for GetCollect(long); raises
  // adErrItemNotFound when there is none.
  long GetOrdinal(const char* name);
  // The current row's value at `ordinal` as it is kept, where it is ASCII text (the same in
  // every form): no variant made and nothing to convert, for a lookup reading tens of
  // thousands. Valid until the result set moves or closes; nothing for a NULL or other
  // text, which GetCollect gives. Inline, as a lookup asks it for every value it reads.
  std::optional<std::string_view> GetAscii(long ordinal) {
    const bool here = m_open && IsColumn(ordinal) && IsRow(m_position);
    const odbc::Cell value = here ? m_table.At(m_row, static_cast<size_t>(ordinal))
                                  : CellAt(ordinal);  // which raises the reason
    if (value.IsAscii()) return value.Ascii();
    return std::nullopt;
  }
  // Whether every value of the column at `ordinal` is printable ASCII, a byte or more (no
  // NULL, no empty text, no control byte): a reader that must vet every value for those
  // need not read them twice. Raises adErrItemNotFound for a column there is not.
  bool AllPrintableAscii(long ordinal) const;

 private:
  friend HRESULT com_detail::CreateObject(const CLSID&, void*, const CLSID&, ComObject**);
  Recordset() = default;
  ~Recordset() override = default;

  void RequireOpen() const;
  void RequireColumn(long ordinal) const;  // open, and a column at `ordinal`
  bool IsColumn(long ordinal) const { return ordinal >= 0 && static_cast<size_t>(ordinal) < m_table.columns.size(); }
  bool IsRow(long position) const { return position >= 0 && static_cast<size_t>(position) < m_table.RowCount(); }
  void MoveTo(long position);
  template <class Char>
  long OrdinalOf(std::basic_string_view<Char> name) const;
  odbc::Cell CellAt(long ordinal) const;
  _variant_t ValueAt(long ordinal);

  bool m_open = false;
  odbc::Table m_table;
  long m_position = 0;     // -1 is BOF, the row count is EOF
  odbc::Table::Row m_row;  // the row at m_position, where there is one
};
