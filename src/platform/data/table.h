#pragma once
// The rows of a result, fetched in full, every value as wide text. The values lie one
// after another in one block of text: a result of many short values costs a few
// allocations, not one or two for each value.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace odbc {

class Table {
 public:
  std::vector<std::u16string> columns;

  size_t RowCount() const { return columns.empty() ? 0 : m_cells.size() / columns.size(); }
  // nullopt is a database NULL. The text lives as long as the table is unchanged.
  std::optional<std::u16string_view> At(size_t row, size_t column) const {
    const Cell& cell = m_cells[row * columns.size() + column];
    if (cell.length == kNull) return std::nullopt;
    return std::u16string_view(m_text).substr(cell.offset, cell.length);
  }

  // The next value of the row being filled, columns in order.
  void Add(std::u16string_view value) {
    m_cells.push_back({m_text.size(), value.size()});
    m_text.append(value);
  }
  void AddNull() { m_cells.push_back({m_text.size(), kNull}); }

 private:
  static constexpr size_t kNull = static_cast<size_t>(-1);
  struct Cell {
    size_t offset;
    size_t length;  // kNull for a NULL
  };

  std::u16string m_text;
  std::vector<Cell> m_cells;  // row after row
};

}  // namespace odbc
