#pragma once
// The rows of a result, fetched in full. A value is kept as ASCII bytes where it is ASCII
// (the same text in every form, and most of what a lookup reads), else as wide text. A row's
// values lie one after another, each behind a byte or five that give its form and length,
// in blocks that never move once filled: a result of many short values costs a few
// allocations and little more memory than its text, and growing it copies nothing. A row is
// found by walking to it, from the one before or from its block's first: a pointer for each
// would cost a lookup of tens of thousands of rows a third more memory. Memory first
// touched costs such a lookup more than reading the values.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
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

  // Where a row lies: its block, and its first value.
  struct Row {
    size_t block = 0;
    const char* start = nullptr;
  };

  size_t RowCount() const { return m_rowCount; }
  // Row `index` (< RowCount()), walked to from the first row of its block.
  Row Find(size_t index) const {
    const auto after = std::upper_bound(m_blocks.begin(), m_blocks.end(), index,
                                        [](size_t i, const Block& block) { return i < block.firstRow; });
    const size_t block = static_cast<size_t>(after - m_blocks.begin()) - 1;
    Row row{block, m_blocks[block].data.get()};
    for (size_t r = m_blocks[block].firstRow; r < index; ++r) row = Next(row);
    return row;
  }
  // The row after `row`, which is not the last.
  Row Next(Row row) const {
    const char* end = row.start;
    for (size_t c = 0; c < columns.size(); ++c) end = Read(end).second;
    end += reinterpret_cast<uintptr_t>(end) % 2;  // rows begin at even addresses
    if (end < (row.block + 1 < m_blocks.size() ? m_blocks[row.block].end : m_free)) return {row.block, end};
    return {row.block + 1, m_blocks[row.block + 1].data.get()};
  }
  Cell At(Row row, size_t column) const {
    const char* value = row.start;
    for (size_t c = 0; c < column; ++c) value = Read(value).second;
    return Read(value).first;
  }

  // The next value of the row being filled, columns in order.
  void Add(std::u16string_view value) {
    const bool printable = IsPrintable(value);
    if (printable || IsAscii(value)) {
      if (!printable) MarkUnprintable();
      char* text = PutAscii(value.size());
      std::copy(value.begin(), value.end(), text);  // each unit is one byte's worth
      return;
    }
    MarkUnprintable();
    // The header, the length, and a byte to align the units where the address needs it.
    char* at = Room(1 + sizeof(std::uint32_t) + 1 + value.size() * sizeof(char16_t));
    const size_t pad = (reinterpret_cast<uintptr_t>(at) + 1 + sizeof(std::uint32_t)) % alignof(char16_t);
    *at = kWide;
    PutLength(at, value.size());
    std::memcpy(at + 1 + sizeof(std::uint32_t) + pad, value.data(), value.size() * sizeof(char16_t));
    GiveBack(1 - pad);
  }
  // The same for UTF-8 bytes; false, adding nothing, when they are malformed (the caller
  // then reads the value as wide text, as every driver gives it).
  bool AddUtf8(std::string_view value) {
    const bool printable = IsPrintable(value);
    if (printable || IsAscii(value)) {
      if (!printable) MarkUnprintable();
      char* text = PutAscii(value.size());
      if (!value.empty()) std::memcpy(text, value.data(), value.size());
      return true;
    }
    for (size_t at = 0, length = 0; at < value.size(); at += length) {
      if (!text::Utf8CharacterAt(value, at, length)) return false;
    }
    Add(text::Utf8ToUtf16(value));  // well-formed: the same text the wide form gives
    return true;
  }
  void AddNull() {
    MarkUnprintable();
    *Room(1) = kNull;
  }
  // Whether every value of `column` is printable ASCII, a byte or more: no NULL, no empty
  // text, no control byte. A caller that must vet every value for those skips the walk.
  bool AllPrintable(size_t column) const { return column >= m_unprintable.size() || !m_unprintable[column]; }
  // Drops every row, to be filled again.
  void ClearRows() {
    m_rowCount = 0;
    m_column = 0;
    m_blocks.clear();
    m_unprintable.clear();
    m_free = nullptr;
    m_room = 0;
  }

 private:
  static constexpr size_t kBlockBytes = 64 * 1024;
  // A value's first byte: NULL, ASCII of that length less one (up to 126 bytes), or a longer
  // ASCII or a wide text whose length follows in four bytes.
  static constexpr unsigned char kNull = 0, kShortest = 1, kLongAscii = 0x80, kWide = 0x81;
  static constexpr size_t kMostShort = 0x7F - kShortest;

  // ASCII text, the same in every form, whether kept from wide units or from UTF-8 bytes.
  template <class Char>
  static bool IsAscii(std::basic_string_view<Char> text) {
    return std::all_of(text.begin(), text.end(), [](Char c) { return std::make_unsigned_t<Char>(c) < 0x80; });
  }
  // A text of printable ASCII, a byte or more: most values.
  template <class Char>
  static bool IsPrintable(std::basic_string_view<Char> text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](Char c) { return c >= 0x20 && c < 0x7F; });
  }
  // The value being added, of the column m_column, is not printable ASCII.
  void MarkUnprintable() {
    if (m_unprintable.size() < columns.size()) m_unprintable.resize(columns.size());
    m_unprintable[m_column] = true;
  }

  // The value at `at` and where the next one begins.
  static std::pair<Cell, const char*> Read(const char* at) {
    const auto head = static_cast<unsigned char>(*at);
    if (head == kNull) return {Cell(), at + 1};
    if (head < kLongAscii) return {Cell(at + 1, head - kShortest, true), at + 1 + (head - kShortest)};
    std::uint32_t length = 0;
    std::memcpy(&length, at + 1, sizeof length);
    const char* data = at + 1 + sizeof length;
    if (head == kLongAscii) return {Cell(data, length, true), data + length};
    data += reinterpret_cast<uintptr_t>(data) % alignof(char16_t);
    return {Cell(data, length, false), data + length * sizeof(char16_t)};
  }

  static void PutLength(char* at, size_t length) {
    const auto value = static_cast<std::uint32_t>(length);
    std::memcpy(at + 1, &value, sizeof value);
  }

  // Room for an ASCII value of `length` bytes behind its header; gives where its bytes go.
  char* PutAscii(size_t length) {
    if (length <= kMostShort) {
      char* at = Room(1 + length);
      *at = static_cast<char>(kShortest + length);
      return at + 1;
    }
    char* at = Room(1 + sizeof(std::uint32_t) + length);
    *at = static_cast<char>(kLongAscii);
    PutLength(at, length);
    return at + 1 + sizeof(std::uint32_t);
  }

  // `bytes` of room for the next value. A row lies in one block, beginning at an even
  // address (so that its wide texts stay aligned where it moves): the part of a row begun
  // when a block fills moves with it to the next, and a block it leaves empty goes.
  char* Room(size_t bytes) {
    const bool rowBegins = m_column == 0;
    size_t skip = rowBegins ? reinterpret_cast<uintptr_t>(m_free) % 2 : 0;
    if (m_free == nullptr || bytes + skip > m_room) {
      const size_t begun = rowBegins ? 0 : static_cast<size_t>(m_free - m_rowStart);
      const size_t size = std::max(kBlockBytes, begun + bytes);
      Block block{std::make_unique_for_overwrite<char[]>(size), rowBegins ? m_rowCount : m_rowCount - 1, nullptr};
      if (begun > 0) std::memcpy(block.data.get(), m_rowStart, begun);
      if (!m_blocks.empty()) {
        m_blocks.back().end = rowBegins ? m_free : m_rowStart;
        if (m_blocks.back().end == m_blocks.back().data.get()) m_blocks.pop_back();
      }
      m_blocks.push_back(std::move(block));
      m_rowStart = m_blocks.back().data.get();  // aligned for any type
      m_free = m_rowStart + begun;
      m_room = size - begun;
      skip = 0;
    }
    m_free += skip;
    m_room -= skip;
    if (rowBegins) {
      ++m_rowCount;
      m_rowStart = m_free;
    }
    char* place = m_free;
    m_free += bytes;
    m_room -= bytes;
    if (++m_column >= columns.size()) m_column = 0;
    return place;
  }
  // The last `bytes` of the room last taken, not needed after all.
  void GiveBack(size_t bytes) {
    m_free -= bytes;
    m_room += bytes;
  }

  struct Block {
    std::unique_ptr<char[]> data;  // its first row begins here
    size_t firstRow;
    const char* end;  // where its last row ends, once the next block is begun
  };

  std::vector<Block> m_blocks;
  char* m_free = nullptr;  // the unused end of the last block
  size_t m_room = 0;
  char* m_rowStart = nullptr;       // where the row being filled begins
  size_t m_rowCount = 0;            // rows begun; every one filled once a fetch ends
  size_t m_column = 0;              // the column the next value is of
  std::vector<bool> m_unprintable;  // by column: a value that is not printable ASCII was added
};

}  // namespace odbc
