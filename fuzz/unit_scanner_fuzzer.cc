// The unit scanner (the section searches and ProcessUsesClause), through a whole backup run of a
// project whose main unit Main.pas is the input. The names the log reports are compared with a
// model of the reading rules, written from the rules as users know them: the four section
// searches, the cut at commas, comments opened by "{" and the remainder of a line.

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "fuzz/backup_fixture.h"
#include "platform/file_ops.h"
#include "platform/path_text.h"

namespace {

using zk::fuzz::Check;

class UsesModel {
 public:
  explicit UsesModel(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // Every name the uses clauses hand on, in order.
  std::vector<std::string> Names() {
    std::string line;
    if (!Until({"INTERFACE"}, line)) return names_;
    if (!Until({"USES", "IMPLEMENTATION"}, line)) return names_;
    if (Begins(line, "USES")) {
      if (!Clause(line) || !Until({"IMPLEMENTATION"}, line)) return names_;
    }
    if (!Until({"USES", "FUNCTION", "PROCEDURE", "END."}, line)) return names_;
    if (Begins(line, "USES")) Clause(line);
    return names_;
  }

 private:
  static bool Begins(const std::string& line, std::string_view word) {
    return zk::UpperCase(line.substr(0, word.size())) == word;
  }
  bool Read(std::string& line) {
    if (next_ >= lines_.size()) return false;
    line = lines_[next_++];
    return true;
  }
  bool Until(std::initializer_list<std::string_view> words, std::string& line) {
    while (Read(line)) {
      for (std::string_view word : words) {
        if (Begins(line, word)) return true;
      }
    }
    return false;
  }
  // False when the file ended inside the list.
  bool Clause(const std::string& uses_line) {
    std::string rest = uses_line.size() > 5 ? uses_line.substr(5) : std::string();
    if (rest.empty() && !Read(rest)) return false;
    for (;;) {
      const bool list_ends = rest.find(';') != std::string::npos;
      bool in_comment = false;
      size_t cut = rest.find(',');
      while (cut != std::string::npos) {
        std::string element = zk::Trim(rest.substr(0, cut));
        const size_t brace = element.find('{');
        in_comment = brace != std::string::npos;
        if (in_comment && brace > 0) element = element.substr(0, brace);
        if (!element.empty() && element[0] != '{') names_.push_back(element);
        if (rest[cut] == ';') {
          rest.clear();
          break;
        }
        if (in_comment) {
          cut = rest.find('}');
          if (cut == std::string::npos) {
            rest.clear();
            break;
          }
        }
        rest = rest.substr(cut + 1);
        const size_t comma = rest.find(',');
        const size_t semicolon = rest.find(';');
        cut = comma == std::string::npos ? comma
              : (semicolon != std::string::npos && semicolon < comma) ? semicolon
                                                                       : comma;
      }
      const std::string remainder = zk::Trim(rest);
      if (!remainder.empty() && !remainder.starts_with("//") && remainder[0] != '*' &&
          remainder[0] != '{') {
        const std::string element = zk::Trim(remainder.substr(0, remainder.find(';')));
        if (!element.empty()) names_.push_back(element);
      }
      if (!Read(rest)) return false;
      if (in_comment) {
        while (rest.find('}') == std::string::npos) {
          if (!Read(rest)) return false;
        }
        rest = rest.substr(rest.find('}') + 1);
      }
      if (list_ends) return true;
    }
  }

  std::vector<std::string> lines_;
  size_t next_ = 0;
  std::vector<std::string> names_;
};

// The unit name a scanner line reports, or empty text for a heading, a form file line or a line
// that is not the scanner's.
std::string ReportedName(const std::string& line, const zk::pb::TfrmProjectBackup& form) {
  const std::string missing = " not found in search path";
  if (line.ends_with(missing)) return line.substr(0, line.size() - missing.size());
  for (const std::string& folder : form.SearchPaths.items()) {
    const std::string found = " found in " + folder;
    if (!line.ends_with(found)) continue;
    const std::string head = line.substr(0, line.size() - found.size());
    const std::string but = ".pas not found, but ";
    if (const size_t at = head.find(but); at != std::string::npos && head.ends_with(".dcu") &&
                                          head.size() == 2 * at + but.size() + 4) {
      return head.substr(0, at);
    }
    if (head.ends_with(".pas")) return head.substr(0, head.size() - 4);
    return {};  // "X.dfm found in": the form file of the unit before it
  }
  return {};
}

void CheckNamesAgainstModel(const std::string& unit_bytes, const zk::pb::TfrmProjectBackup& form) {
  std::unordered_set<std::string> passed_over = {"MAIN", "UTIL"};
  for (const std::string& unit : form.StockUnits.items()) passed_over.insert(zk::UpperCase(unit));
  std::vector<std::string> expected;
  for (std::string& name : UsesModel(zk::SplitLines(unit_bytes)).Names()) {
    if (!passed_over.contains(zk::UpperCase(name))) expected.push_back(std::move(name));
  }

  // The scanner's lines follow the main units (Main.pas, Main.dfm, Util.pas) and end before the
  // empty line that precedes the completion line.
  const std::vector<std::string>& lines = form.StatusMemo.lines();
  size_t first = 0;
  while (first < lines.size() && lines[first] != "MAIN UNITS") ++first;
  first += 4;
  // Counted from the end: a unit may be named like any line of the log.
  // The memo keeps the rule and the "Performed by" line of the footer.
  size_t after = 3;
  if (form.MissingFiles.Count() > 0) after += 2 + static_cast<size_t>(form.MissingFiles.Count());
  if (!form.FailedCopies.empty()) after += 2 + form.FailedCopies.size();
  Check(lines.size() >= after + first + 1, "the log has its sections");
  const size_t end = lines.size() - after;
  Check(lines[end].starts_with("BACKUP COMPLETED "), "the completion line is where it belongs");
  std::vector<std::string> reported;
  for (size_t i = first; i + 1 < end; ++i) {
    std::string name = ReportedName(lines[i], form);
    if (name.empty()) continue;
    if (lines[i] == name + " not found in search path") {
      Check(form.MissingFiles.Contains("* " + name), "a unit not found is listed as missing");
    }
    reported.push_back(std::move(name));
  }
  Check(reported == expected, "the log reports the names the uses clauses hold, in order");
  Check(expected.empty() == (lines[end - 2] == "NO DEPENDENCIES FOUND"),
        "NO DEPENDENCIES FOUND exactly when no unit was looked up");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const zk::fuzz::BackupFixture& fixture = zk::fuzz::SetUpBackupFixture();
  zk::fuzz::ResetBackupState(fixture);
  const std::string unit(reinterpret_cast<const char*>(data), size);
  zk::fuzz::WriteBytes(fixture.project_dir + "Main.pas", unit);
  zk::fuzz::RunBackupAndCheck(fixture, [&](const zk::pb::TfrmProjectBackup& form) {
    CheckNamesAgainstModel(unit, form);
  });
  return 0;
}
