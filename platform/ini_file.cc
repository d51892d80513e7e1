#include "platform/ini_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/path_resolver.h"
#include "platform/path_text.h"

namespace zk {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view StripBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

enum class LineKind { Other, Comment, Section, Key };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;   // section or key name, blanks stripped
  std::string_view value;  // key value, blanks stripped
};

// Profile files written by Windows editors may start with a UTF-8 byte order mark.
std::string_view SkipByteOrderMark(std::string_view line) {
  if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
  return line;
}

ParsedLine Parse(std::string_view line) {
  ParsedLine parsed;
  const std::string_view text = StripBlanks(line);
  if (text.empty()) return parsed;
  if (text.front() == ';') {
    parsed.kind = LineKind::Comment;
  } else if (text.front() == '[') {
    // The name ends at the first `]`; a missing one is tolerated, the rest of the line ignored.
    std::string_view name = text.substr(1);
    const size_t close = name.find(']');
    if (close != std::string_view::npos) name = name.substr(0, close);
    parsed.kind = LineKind::Section;
    parsed.name = StripBlanks(name);
  } else if (const size_t eq = text.find('='); eq != std::string_view::npos) {
    parsed.kind = LineKind::Key;
    parsed.name = StripBlanks(text.substr(0, eq));
    parsed.value = StripBlanks(text.substr(eq + 1));
  }
  return parsed;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string WithoutLineBreaks(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (c != '\r' && c != '\n') result += c;
  }
  return result;
}

// Line ranges of one section copy: the header at `header`, its body up to `end` (exclusive).
struct SectionRange {
  size_t header;
  size_t end;
};

class Lines {
 public:
  explicit Lines(const std::vector<std::string>& lines) : lines_(lines) {}

  ParsedLine At(size_t i) const {
    return Parse(i == 0 ? SkipByteOrderMark(lines_[0]) : std::string_view(lines_[i]));
  }

  // The first copy of `section` at or after line `from`.
  std::optional<SectionRange> FindSection(std::string_view section, size_t from = 0) const {
    for (size_t i = from; i < lines_.size(); ++i) {
      const ParsedLine line = At(i);
      if (line.kind == LineKind::Section && SameText(line.name, section)) {
        return SectionRange{i, SectionEnd(i + 1)};
      }
    }
    return std::nullopt;
  }

 private:
  size_t SectionEnd(size_t from) const {
    for (size_t i = from; i < lines_.size(); ++i) {
      if (At(i).kind == LineKind::Section) return i;
    }
    return lines_.size();
  }

  const std::vector<std::string>& lines_;
};

std::string IndexKey(std::string_view section, std::string_view key) {
  std::string text = UpperCase(section);
  text += '\n';
  text += UpperCase(key);
  return text;
}

}  // namespace

// Takes the lines in order: a key belongs to the section copy above it, and only the first copy
// of a section counts, as for the searches of the Windows profile functions.
void IniFile::Index::Add(size_t line_number, std::string_view line) {
  const ParsedLine parsed = Parse(line_number == 0 ? SkipByteOrderMark(line) : line);
  if (parsed.kind == LineKind::Section) {
    std::string name = UpperCase(parsed.name);
    const bool first_copy = sections.try_emplace(name, Section{line_number, std::nullopt}).second;
    tail = first_copy ? std::optional<std::string>(std::move(name)) : std::nullopt;
  } else if (parsed.kind == LineKind::Key && tail) {
    keys.try_emplace(IndexKey(*tail, parsed.name), line_number);
    sections[*tail].last_key = line_number;
  }
}

IniFile::Index& IniFile::GetIndex() const {
  if (!index_) {
    index_.emplace();
    for (size_t i = 0; i < lines_.size(); ++i) index_->Add(i, lines_[i]);
  }
  return *index_;
}

void IniFile::AppendLine(std::string line) {
  Index& index = GetIndex();
  lines_.push_back(std::move(line));
  index.Add(lines_.size() - 1, lines_.back());
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  const std::optional<std::string> resolved = ResolvePath(path_);
  struct stat st;
  if (!resolved || ::stat(resolved->c_str(), &st) != 0) {
    // Missing (or on a drive that is not mapped): an empty file, not an error.
    if (resolved && errno != ENOENT && errno != ENOTDIR) {
      load_error_ = "cannot read " + *resolved + ": " + std::strerror(errno);
    }
    return;
  }
  std::string bytes;
  if (const OpResult result = ReadFileBytes(path_, bytes); !result) {
    load_error_ = result.error;
    return;
  }
  lines_ = SplitLines(bytes);
  last_line_ended_ = bytes.empty() || bytes.back() == '\r' || bytes.back() == '\n';
}

bool IniFile::SectionExists(std::string_view section) const {
  return GetIndex().sections.contains(UpperCase(section));
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view default_value) const {
  const Index& index = GetIndex();
  const auto found = index.keys.find(IndexKey(section, key));
  if (found == index.keys.end()) return std::string(default_value);
  return std::string(Unquote(Lines(lines_).At(found->second).value));
}

void IniFile::WriteString(std::string_view section, std::string_view key,
                          std::string_view value) {
  const std::string clean_section = WithoutLineBreaks(section);
  const std::string clean_key = WithoutLineBreaks(key);
  const std::string clean_value = WithoutLineBreaks(value);
  Index& index = GetIndex();
  const auto range = index.sections.find(UpperCase(clean_section));
  if (range == index.sections.end()) {
    // A new section goes at the very end, without a blank line before it.
    AppendLine("[" + clean_section + "]");
    AppendLine(clean_key + "=" + clean_value);
    last_line_ended_ = true;
    modified_ = true;
    return;
  }
  if (const auto existing = index.keys.find(IndexKey(clean_section, clean_key));
      existing != index.keys.end()) {
    // The key keeps the spelling the file gave it, so the index stays right.
    const size_t at = existing->second;
    std::string line = std::string(Lines(lines_).At(at).name) + "=" + clean_value;
    if (at == 0 && lines_[0].starts_with("\xEF\xBB\xBF")) line.insert(0, "\xEF\xBB\xBF");
    if (lines_[at] != line) {
      lines_[at] = std::move(line);
      modified_ = true;
    }
    return;
  }
  // After the section's last key line, else after its header.
  const size_t at = range->second.last_key.value_or(range->second.header) + 1;
  modified_ = true;
  if (at == lines_.size()) {
    last_line_ended_ = true;
    AppendLine(clean_key + "=" + clean_value);
    return;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), clean_key + "=" + clean_value);
  index_.reset();
}

// Every copy of the section goes: a later copy would otherwise come to light in its place.
void IniFile::EraseSection(std::string_view section) {
  for (;;) {
    const Lines lines(lines_);
    const std::optional<SectionRange> range = lines.FindSection(section);
    if (!range) return;
    std::vector<std::string> kept;
    kept.reserve(lines_.size());
    bool removed_last_line = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
      const bool in_section = i >= range->header && i < range->end;
      if (in_section && (i == range->header || lines.At(i).kind == LineKind::Key)) {
        removed_last_line = i + 1 == lines_.size();
        continue;
      }
      kept.push_back(std::move(lines_[i]));
    }
    // The line that is last now was followed by a line end when it was written.
    if (removed_last_line) last_line_ended_ = true;
    lines_ = std::move(kept);
    modified_ = true;
    index_.reset();
  }
}

OpResult IniFile::UpdateFile() {
  if (!modified_) return OpResult::Ok();
  if (!load_error_.empty()) {
    // Writing now would throw away the part of the file we could not read.
    return OpResult::Fail(load_error_ + " (not written, to keep its contents)");
  }
  size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (size_t i = 0; i < lines_.size(); ++i) {
    bytes += lines_[i];
    if (i + 1 < lines_.size() || last_line_ended_) bytes += "\r\n";
  }
  OpResult result = WriteFileAtomic(path_, bytes);
  if (result) modified_ = false;
  return result;
}

}  // namespace zk
