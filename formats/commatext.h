#pragma once
// Comma text: how a line of a point-grid file and a row of the point table are
// cut into items. Commas and runs of blanks (codes 1 to 32) separate items,
// blanks around a comma belong to the separator, and double quotes quote.
//
// Text is taken as bytes of UTF-8, the program's code page. Stepping byte by
// byte never splits a character: every byte of a multi-byte UTF-8 character is
// 0x80 or above, so none of them can be taken for a blank, a comma, a quote or
// a line end, and the character always stays whole inside one item.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

// The items of one split. Meant to be kept and refilled line after line: it
// keeps its storage, so that splitting allocates nothing once it has seen a
// line with as many items as the current one.
//
// An item is a view into the split text, except a quoted item that holds a
// doubled quote, whose unquoted text lives in this object. Either way the views
// stay valid until the next split into this object, and only while the split
// text itself lives.
class CommaItems {
 public:
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  // index < size().
  std::string_view operator[](std::size_t index) const { return items_[index]; }
  std::vector<std::string_view>::const_iterator begin() const { return items_.begin(); }
  std::vector<std::string_view>::const_iterator end() const { return items_.end(); }

 private:
  friend class CommaSplitter;
  std::vector<std::string_view> items_;
  // Unquoted copies of quoted items with doubled quotes. A deque, because its
  // elements never move when it grows, so views into earlier copies survive.
  std::deque<std::string> unquoted_;
  std::size_t unquotedUsed_ = 0;
};

// Codes 0 to 32 and the comma end an unquoted item, whether line ends count
// as blanks or end the text. The point-grid reader's fast path stops its
// numbers at the same bytes.
inline bool EndsUnquotedItem(char c) {
  return static_cast<unsigned char>(c) <= ' ' || c == ',';
}

// Splits text into items, replacing what items held. The text ends at its
// first zero byte, if any. CR and LF count as blanks here. Throws only
// std::bad_alloc.
void SplitCommaText(std::string_view text, CommaItems& items);

// Splits the line that starts at begin and ends before the first CR, LF or zero
// byte, or at end; returns where it stopped (end, or that line-end byte). The
// point-grid reader cuts its lines and items in this one pass. Throws only
// std::bad_alloc.
const char* SplitCommaLine(const char* begin, const char* end, CommaItems& items);

// The cell texts that assigning text as comma text to a table row of `columns`
// cells gives: item k goes into cell k, an empty item becomes a single blank so
// that it still occupies its cell, cells without an item are empty and items
// beyond the last cell are dropped. Throws only std::bad_alloc.
std::vector<std::string> CommaTextCells(std::string_view text, std::size_t columns);
