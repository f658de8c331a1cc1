#pragma once
// The rows of a result, fetched in full, every value as wide text. The values lie one
// after another in blocks of text that never move once filled: a result of many short
// values costs a few allocations, not one or two for each value, and growing it copies
// nothing.
#include <algorithm>
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace odbc {

class Table {
 public:
  std::vector<std::u16string> columns;
  long rowsAffected = -1;  // a statement that changes rows: how many; -1 when not told

  Table() = default;
  Table(Table&&) = default;
  Table& operator=(Table&&) = default;

  size_t RowCount() const { return columns.empty() ? 0 : m_cells.size() / columns.size(); }
  // nullopt is a database NULL. The text lives as long as the table.
  std::optional<std::u16string_view> At(size_t row, size_t column) const {
    const std::u16string_view& cell = m_cells[row * columns.size() + column];
    if (cell.data() == nullptr) return std::nullopt;
    return cell;
  }

  // The next value of the row being filled, columns in order.
  void Add(std::u16string_view value) {
    if (value.empty()) {
      m_cells.emplace_back(u"", 0);  // not NULL
      return;
    }
    if (value.size() > m_room) {
      size_t size = std::max(value.size(), kBlockChars);
      m_blocks.push_back(std::make_unique_for_overwrite<char16_t[]>(size));
      m_free = m_blocks.back().get();
      m_room = size;
    }
    std::u16string_view::traits_type::copy(m_free, value.data(), value.size());
    m_cells.emplace_back(m_free, value.size());
    m_free += value.size();
    m_room -= value.size();
  }
  void AddNull() { m_cells.emplace_back(); }

 private:
  static constexpr size_t kBlockChars = 32 * 1024;

  std::vector<std::unique_ptr<char16_t[]>> m_blocks;
  char16_t* m_free = nullptr;  // the unused end of the last block
  size_t m_room = 0;
  std::deque<std::u16string_view> m_cells;  // row after row; a NULL has no data
};

}  // namespace odbc
