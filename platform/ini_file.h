#pragma once
// INI files with the Windows profile semantics: sections and keys matched ignoring case, the rest
// of the file kept as it was on write, CR LF line ends. Edits are made in memory and written by
// UpdateFile, which replaces the file atomically.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file_ops.h"

namespace zk {

class IniFile {
 public:
  // Reads the file when it exists; a missing or unreadable file reads as empty.
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }
  // Empty when the file was read or did not exist; else why it could not be read.
  const std::string& load_error() const { return load_error_; }

  bool SectionExists(std::string_view section) const;
  // `key=` reads as empty text, not as the default. Blanks around the value and one outer pair of
  // matching quotes are removed.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) const;
  // CR and LF in the value are dropped: they would break the file.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void EraseSection(std::string_view section);

  bool modified() const { return modified_; }
  // Writes the file when it was modified. Atomic.
  OpResult UpdateFile();

 private:
  // Where the first copy of each section and its keys are, so that reading or writing a long
  // list is not quadratic. Built when first needed; kept in step when a line is appended or a
  // value replaced, dropped (and built again) after any other edit.
  struct Index {
    struct Section {
      size_t header = 0;
      std::optional<size_t> last_key;
    };
    std::unordered_map<std::string, Section> sections;  // by upper-case name
    std::unordered_map<std::string, size_t> keys;       // upper section '\n' upper key -> line
    std::optional<std::string> tail;  // the first-copy section the last line belongs to
    void Add(size_t line_number, std::string_view line);
  };
  Index& GetIndex() const;
  void AppendLine(std::string line);

  std::string path_;
  std::string load_error_;
  std::vector<std::string> lines_;
  bool last_line_ended_ = true;
  bool modified_ = false;
  mutable std::optional<Index> index_;
};

}  // namespace zk
