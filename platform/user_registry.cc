#include "platform/user_registry.h"

#include <optional>

#include "platform/file_ops.h"
#include "platform/path_resolver.h"
#include "platform/path_text.h"

namespace zk {
namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Our texts are 8-bit: a character up to 255 is that byte (Latin-1, as the IDE's ANSI code page
// holds it for the common accented letters); anything above is written as UTF-8, the best a
// byte text can do for it.
void AppendCodePoint(std::string& out, unsigned code) {
  if (code < 0x100) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Reads the \x escape whose `x` is at text[pos]; moves pos past its digits.
std::optional<unsigned> ReadHexEscape(std::string_view text, size_t& pos) {
  size_t p = pos + 1;
  unsigned code = 0;
  int digits = 0;
  while (digits < 4 && p < text.size() && HexDigit(text[p]) >= 0) {
    code = code * 16 + static_cast<unsigned>(HexDigit(text[p++]));
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  pos = p;
  return code;
}

// Decodes an escaped text that runs up to the unescaped `terminator`. `pos` starts after the
// opening delimiter and ends after the terminator. Nothing when the terminator is missing.
std::optional<std::string> Unescape(std::string_view text, size_t& pos, char terminator) {
  std::string out;
  unsigned pending_high = 0;  // a UTF-16 high surrogate waiting for its partner
  auto flush_pending = [&] {
    if (pending_high != 0) AppendCodePoint(out, 0xFFFD);
    pending_high = 0;
  };
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == terminator) {
      ++pos;
      flush_pending();
      return out;
    }
    if (c != '\\' || pos + 1 >= text.size()) {
      flush_pending();
      out += c;
      ++pos;
      continue;
    }
    const char e = text[++pos];
    if (e == 'x') {
      if (const std::optional<unsigned> code = ReadHexEscape(text, pos)) {
        if (*code >= 0xD800 && *code < 0xDC00) {
          flush_pending();
          pending_high = *code;
        } else if (*code >= 0xDC00 && *code < 0xE000 && pending_high != 0) {
          AppendCodePoint(out, 0x10000 + ((pending_high - 0xD800) << 10) + (*code - 0xDC00));
          pending_high = 0;
        } else {
          flush_pending();
          AppendCodePoint(out, *code);
        }
        continue;
      }
      flush_pending();
      out += 'x';
      ++pos;
      continue;
    }
    flush_pending();
    if (e >= '0' && e <= '7') {
      unsigned code = 0;
      for (int digits = 0; digits < 3 && pos < text.size() && text[pos] >= '0' && text[pos] <= '7';
           ++digits) {
        code = code * 8 + static_cast<unsigned>(text[pos++] - '0');
      }
      AppendCodePoint(out, code);
      continue;
    }
    switch (e) {
      case 'a': out += '\a'; break;
      case 'b': out += '\b'; break;
      case 'e': out += '\x1b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'v': out += '\v'; break;
      default: out += e; break;  // `\\`, `\"` and any other character stand for themselves
    }
    ++pos;
  }
  return std::nullopt;
}

// Key paths are compared without the separators at either end that callers sometimes add.
std::string_view TrimSeparators(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

// Splits the text into lines without copying; CR LF and LF both end a line.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end + 1;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// The key path of a `[...] time` line, unescaped; nothing for a malformed line.
std::optional<std::string> KeyOfLine(std::string_view line) {
  size_t pos = 1;
  return Unescape(line, pos, ']');
}

// The value of a value line when it is named `name` and holds a string. `found` tells whether
// the name matched at all (then the search is over, string or not).
std::optional<std::string> StringValueOfLine(std::string_view line, std::string_view name,
                                             bool& found) {
  found = false;
  size_t pos = 0;
  std::string line_name;
  if (line.starts_with("@=")) {
    pos = 1;
  } else if (line.starts_with('"')) {
    pos = 1;
    std::optional<std::string> decoded = Unescape(line, pos, '"');
    if (!decoded) return std::nullopt;
    line_name = std::move(*decoded);
  } else {
    return std::nullopt;
  }
  if (pos >= line.size() || line[pos] != '=' || !SameText(line_name, name)) return std::nullopt;
  found = true;
  std::string_view data = line.substr(pos + 1);
  if (data.starts_with("str(2):")) data.remove_prefix(7);
  if (!data.starts_with('"')) return std::nullopt;
  size_t at = 1;
  return Unescape(data, at, '"');
}

}  // namespace

std::string ReadRegistryStringFromText(std::string_view reg_text, std::string_view key_path,
                                       std::string_view value_name) {
  LineCursor lines(reg_text);
  std::string_view line;
  if (!lines.Next(line) || line != kHeader) return {};
  const std::string_view wanted_key = TrimSeparators(key_path);
  // `@` names the default value, as `reg` spells it; an empty name asks for it too.
  const std::string_view wanted_value = value_name == "@" ? std::string_view() : value_name;
  bool in_key = false;
  bool continued = false;
  while (lines.Next(line)) {
    // Long hex data wraps onto indented lines after a trailing backslash.
    const bool was_continued = continued;
    const bool value_line = line.starts_with('"') || line.starts_with('@');
    continued = (was_continued || value_line) && !line.empty() && line.back() == '\\';
    if (was_continued) continue;
    if (line.starts_with('[')) {
      const std::optional<std::string> key = KeyOfLine(line);
      in_key = key && SameText(TrimSeparators(*key), wanted_key);
      continue;
    }
    if (!in_key) continue;
    bool found = false;
    std::optional<std::string> value = StringValueOfLine(line, wanted_value, found);
    if (found) return value ? std::move(*value) : std::string();
  }
  return {};
}

std::string ReadUserRegistryString(std::string_view key_path, std::string_view value_name) {
  const std::string prefix = WinePrefix();
  if (prefix.empty()) return {};
  std::string text;
  if (!ReadFileBytes(prefix + "/user.reg", text)) return {};
  return ReadRegistryStringFromText(text, key_path, value_name);
}

}  // namespace zk
