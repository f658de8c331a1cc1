#pragma once
// The rows of a result, fetched in full. A value is kept as ASCII bytes where it is ASCII
// (the same text in every form, and most of what a lookup reads), else as wide text. The
// values lie one after another in blocks that never move once filled: a result of many
// short values costs a few allocations, not one or two for each value, and growing it
// copies nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace odbc {

// One value of a table; it lives as long as the table.
class Cell {
 public:
  bool IsNull() const { return m_data == nullptr; }
  bool IsAscii() const { return m_ascii; }
  std::string_view Ascii() const { return {static_cast<const char*>(m_data), m_size}; }
  std::u16string_view Wide() const { return {static_cast<const char16_t*>(m_data), m_size}; }

 private:
  friend class Table;
  Cell() = default;  // NULL
  Cell(const void* data, size_t size, bool ascii) : m_data(data), m_size(size), m_ascii(ascii) {}

  const void* m_data = nullptr;
  size_t m_size = 0;
  bool m_ascii = false;
};

class Table {
 public:
  std::vector<std::u16string> columns;
  long rowsAffected = -1;  // a statement that changes rows: how many; -1 when not told

  Table() = default;
  Table(Table&&) = default;
  Table& operator=(Table&&) = default;

  size_t RowCount() const { return columns.empty() ? 0 : m_cells.size() / columns.size(); }
  const Cell& At(size_t row, size_t column) const { return m_cells[row * columns.size() + column]; }

  // The next value of the row being filled, columns in order.
  void Add(std::u16string_view value) {
    const bool ascii = std::all_of(value.begin(), value.end(), [](char16_t c) { return c < 0x80; });
    if (!ascii) {
      char* place = Room(value.size() * sizeof(char16_t), alignof(char16_t));
      std::copy(value.begin(), value.end(), reinterpret_cast<char16_t*>(place));
      m_cells.push_back(Cell(place, value.size(), false));
      return;
    }
    char* place = Room(value.size(), 1);
    std::copy(value.begin(), value.end(), place);  // each unit is one byte's worth
    m_cells.push_back(Cell(place, value.size(), true));
  }
  // The same for text known to be ASCII.
  void AddAscii(std::string_view value) {
    char* place = Room(value.size(), 1);
    std::copy(value.begin(), value.end(), place);
    m_cells.push_back(Cell(place, value.size(), true));
  }
  void AddNull() { m_cells.push_back(Cell()); }
  // Drops every row, to be filled again.
  void ClearRows() {
    m_cells.clear();
    m_blocks.clear();
    m_free = nullptr;
    m_room = 0;
  }

 private:
  static constexpr size_t kBlockBytes = 64 * 1024;

  // `bytes` of room aligned to `align`, in the last block or a new one; never null, so that
  // an empty value is not taken for NULL.
  char* Room(size_t bytes, size_t align) {
    size_t skip = (align - reinterpret_cast<uintptr_t>(m_free) % align) % align;
    if (bytes + skip > m_room || m_free == nullptr) {
      size_t size = std::max(bytes, kBlockBytes);
      m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size));  // aligned for any type
      m_free = m_blocks.back().get();
      m_room = size;
      skip = 0;
    }
    char* place = m_free + skip;
    m_free = place + bytes;
    m_room -= bytes + skip;
    return place;
  }

  std::vector<std::unique_ptr<char[]>> m_blocks;
  char* m_free = nullptr;  // the unused end of the last block
  size_t m_room = 0;
  std::vector<Cell> m_cells;  // row after row
};

}  // namespace odbc
