#pragma once
// INI files with the Windows profile semantics: sections and keys matched ignoring case, the rest
// of the file kept as it was on write, CR LF line ends. Edits are made in memory and written by
// UpdateFile, which replaces the file atomically.

#include <string>
#include <string_view>
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
  std::string path_;
  std::string load_error_;
  std::vector<std::string> lines_;
  bool last_line_ended_ = true;
  bool modified_ = false;
};

}  // namespace zk
