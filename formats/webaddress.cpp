#include "formats/webaddress.h"

#include <charconv>

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view start) {
  if (text.size() < start.size())
    return false;
  for (std::size_t k = 0; k < start.size(); ++k) {
    const char c = text[k];
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != start[k])
      return false;
  }
  return true;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t';
}

// A decimal number at the front of text, taken off it.
std::optional<std::uint64_t> TakeNumber(std::string_view& text) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data())
    return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

}  // namespace

bool IsWebAddress(std::string_view text) {
  for (const std::string_view scheme : {"http://", "https://"}) {
    if (StartsWithNoCase(text, scheme)) {
      const std::string_view rest = text.substr(scheme.size());
      return !rest.empty() && rest.front() != '/' && rest.front() != '?' && rest.front() != '#';
    }
  }
  return false;
}

bool HasScheme(std::string_view text) {
  const std::size_t colon = text.find("://");
  if (colon == 0 || colon == std::string_view::npos)
    return false;
  for (std::size_t k = 0; k < colon; ++k) {
    const char c = text[k];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!letter && !(k > 0 && other))
      return false;
  }
  return true;
}

std::optional<ContentRange> ParseContentRange(std::string_view value) {
  while (!value.empty() && IsSpace(value.front()))
    value.remove_prefix(1);
  while (!value.empty() && (IsSpace(value.back()) || value.back() == '\r' || value.back() == '\n'))
    value.remove_suffix(1);
  if (!StartsWithNoCase(value, "bytes"))
    return std::nullopt;
  value.remove_prefix(5);
  if (value.empty() || !IsSpace(value.front()))
    return std::nullopt;
  while (!value.empty() && IsSpace(value.front()))
    value.remove_prefix(1);
  ContentRange range;
  const std::optional<std::uint64_t> first = TakeNumber(value);
  if (!first || value.empty() || value.front() != '-')
    return std::nullopt;
  value.remove_prefix(1);
  const std::optional<std::uint64_t> last = TakeNumber(value);
  if (!last || *last < *first || value.empty() || value.front() != '/')
    return std::nullopt;
  value.remove_prefix(1);
  range.first = *first;
  range.last = *last;
  if (value == "*")
    return range;
  range.size = TakeNumber(value);
  if (!range.size || !value.empty() || *range.size <= range.last)
    return std::nullopt;
  return range;
}
