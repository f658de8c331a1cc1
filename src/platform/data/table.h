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

#include "platform/text/codepage.h"

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
  Cell(const void* data, size_t size, bool ascii)
      : m_data(data), m_size(static_cast<std::uint32_t>(size)), m_ascii(ascii) {}

  const void* m_data = nullptr;
  std::uint32_t m_size = 0;  // a value fits a bound buffer, or one SQLGetData read in pieces
  bool m_ascii = false;
};

class Table {
 public:
  std::vector<std::u16string> columns;
  long rowsAffected = -1;  // a statement that changes rows: how many; -1 when not told

  Table() = default;
  Table(Table&&) = default;
  Table& operator=(Table&&) = default;

  size_t RowCount() const { return columns.empty() ? 0 : m_count / columns.size(); }
  const Cell& At(size_t row, size_t column) const {
    const size_t at = row * columns.size() + column;
    return m_cells[at / kChunkCells][at % kChunkCells];
  }

  // The next value of the row being filled, columns in order.
  void Add(std::u16string_view value) {
    const bool ascii = std::all_of(value.begin(), value.end(), [](char16_t c) { return c < 0x80; });
    if (!ascii) {
      char* place = Room(value.size() * sizeof(char16_t), alignof(char16_t));
      std::copy(value.begin(), value.end(), reinterpret_cast<char16_t*>(place));
      Push(Cell(place, value.size(), false));
      return;
    }
    char* place = Room(value.size(), 1);
    std::copy(value.begin(), value.end(), place);  // each unit is one byte's worth
    Push(Cell(place, value.size(), true));
  }
  // The same for UTF-8 bytes; false, adding nothing, when they are malformed (the caller
  // then reads the value as wide text, as every driver gives it).
  bool AddUtf8(std::string_view value) {
    if (std::all_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
      char* place = Room(value.size(), 1);
      std::copy(value.begin(), value.end(), place);
      Push(Cell(place, value.size(), true));
      return true;
    }
    for (size_t at = 0, length = 0; at < value.size(); at += length) {
      if (!text::Utf8CharacterAt(value, at, length)) return false;
    }
    Add(text::Utf8ToUtf16(value));  // well-formed: the same text the wide form gives
    return true;
  }
  void AddNull() { Push(Cell()); }
  // Drops every row, to be filled again.
  void ClearRows() {
    m_cells.clear();
    m_count = 0;
    m_blocks.clear();
    m_free = nullptr;
    m_room = 0;
  }

 private:
  static constexpr size_t kBlockBytes = 64 * 1024;
  // The cells too lie in chunks that never move: a vector grown by doubling would copy
  // them and touch twice their memory, which for a short value costs more than its text.
  static constexpr size_t kChunkCells = 4096;

  void Push(Cell cell) {
    if (m_count % kChunkCells == 0) m_cells.push_back(std::unique_ptr<Cell[]>(new Cell[kChunkCells]));
    m_cells.back()[m_count % kChunkCells] = cell;
    ++m_count;
  }

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
  std::vector<std::unique_ptr<Cell[]>> m_cells;  // row after row
  size_t m_count = 0;
};

}  // namespace odbc
