#include "host/project_units.h"

#include <cctype>
#include <filesystem>

#include "platform/file_ops.h"
#include "platform/path_text.h"

namespace zk::host {

namespace {

// Pascal tokens as far as a uses clause needs them: identifiers, quoted strings and single
// punctuation characters; comments are dropped.
struct Token {
  enum Kind { kWord, kString, kSymbol, kEnd } kind;
  std::string text;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  Token Next() {
    SkipBlanksAndComments();
    if (pos_ >= text_.size()) return {Token::kEnd, ""};
    char c = text_[pos_];
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t start = pos_;
      while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                     text_[pos_] == '_' || text_[pos_] == '.'))
        ++pos_;
      return {Token::kWord, std::string(text_.substr(start, pos_ - start))};
    }
    if (c == '\'') return {Token::kString, ReadString()};
    ++pos_;
    return {Token::kSymbol, std::string(1, c)};
  }

 private:
  void SkipBlanksAndComments() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (static_cast<unsigned char>(c) <= ' ') {
        ++pos_;
      } else if (c == '{') {
        Skip("}", 1);
      } else if (text_.substr(pos_, 2) == "(*") {
        Skip("*)", 2);
      } else if (text_.substr(pos_, 2) == "//") {
        Skip("\n", 2);
      } else {
        return;
      }
    }
  }
  void Skip(std::string_view end, size_t opener) {
    size_t found = text_.find(end, pos_ + opener);
    pos_ = found == std::string_view::npos ? text_.size() : found + end.size();
  }
  // 'it''s' is "it's"; a string ends at the line end when its closing quote is missing.
  std::string ReadString() {
    std::string value;
    ++pos_;
    while (pos_ < text_.size()) {
      char c = text_[pos_++];
      if (c == '\'') {
        if (pos_ < text_.size() && text_[pos_] == '\'') {
          value += '\'';
          ++pos_;
          continue;
        }
        break;
      }
      if (c == '\r' || c == '\n') break;
      value += c;
    }
    return value;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

std::vector<std::string> ParseProjectUses(std::string_view project_text) {
  Lexer lexer(project_text);
  Token token = lexer.Next();
  while (token.kind != Token::kEnd && !(token.kind == Token::kWord && SameText(token.text, "uses")))
    token = lexer.Next();
  std::vector<std::string> paths;
  if (token.kind == Token::kEnd) return paths;
  // Entries: Name [in 'path'], separated by commas, up to the semicolon.
  bool after_in = false;
  for (token = lexer.Next(); token.kind != Token::kEnd; token = lexer.Next()) {
    if (token.kind == Token::kSymbol && token.text == ";") break;
    if (token.kind == Token::kWord && SameText(token.text, "in")) {
      after_in = true;
    } else if (token.kind == Token::kString && after_in) {
      paths.push_back(token.text);
      after_in = false;
    } else {
      after_in = false;
    }
  }
  return paths;
}

std::string UnitFullPath(const std::string& project_folder, const std::string& written) {
  if (!ExtractFileDrive(written).empty()) return written;
  std::string slashed = written;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  std::filesystem::path path(slashed);
  if (path.is_relative()) path = std::filesystem::path(project_folder) / path;
  return path.lexically_normal().string();
}

bool ProjectUnits::Open(const std::string& project_path, std::string& error) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(project_path, ec).lexically_normal();
  if (ec) {
    error = "Cannot open project " + project_path + ": " + ec.message();
    return false;
  }
  if (std::filesystem::is_directory(full, ec)) {
    error = "Cannot open project " + full.string() + ": it is a folder";
    return false;
  }
  std::string bytes;
  OpResult read = ReadFileBytes(full.string(), bytes);
  if (!read) {
    error = read.error.empty() ? "Cannot open project " + full.string() : read.error;
    return false;
  }
  std::string folder = full.parent_path().string();
  std::vector<std::string> files{full.string()};
  for (const std::string& written : ParseProjectUses(bytes))
    files.push_back(UnitFullPath(folder, written));
  files_ = std::move(files);
  return true;
}

void ProjectUnits::Close() { files_.clear(); }

std::string ProjectUnits::ProjectFolder() const {
  // The project file is a Linux path: a `:` in it is part of a name, not a drive mark.
  if (files_.empty()) return {};
  std::string folder = std::filesystem::path(files_.front()).parent_path().string();
  return folder == "/" ? folder : folder + "/";
}

}  // namespace zk::host
