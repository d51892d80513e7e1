// The dependency scanner: reads the uses clauses of every main unit named in the log, finds each
// unit along the search path and copies it with its form file. The uses clause reader works on
// lines, not on the language: its rules are those users of the old expert know, quirks included
// (a name with a blank before a comment, "//" honoured only at the end of a line, and so on).

#include <algorithm>
#include <climits>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/file_ops.h"
#include "platform/path_resolver.h"
#include "platform/path_text.h"
#include "projectbackup/pb_main.h"

namespace zk::pb {

namespace {

// The line begins with `word` (upper case) at its very first character, ignoring letter case.
bool BeginsWith(const std::string& line, std::string_view word) {
  if (line.size() < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char c = line[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != word[i]) return false;
  }
  return true;
}

// The Linux folder a folder text stands for, without its trailing separator; empty when the text
// cannot name a folder.
std::string FolderKey(const std::string& folder) {
  std::optional<std::string> real = ResolvePath(folder.empty() ? std::string(".") : folder);
  if (!real) return {};
  std::string key = *real;
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

// The next cut from `from`: the first comma, or a ";" that comes before it; none when no comma
// follows. Only the text up to the cut is looked at, so a long line is read once.
size_t NextCut(const std::string& text, size_t from) {
  const size_t first = text.find_first_of(",;", from);
  if (first == std::string::npos || text[first] == ',') return first;
  return text.find(',', first + 1) == std::string::npos ? std::string::npos : first;
}

}  // namespace

struct TfrmProjectBackup::ScanState {
  // Where a unit was found: the index into SearchPaths (-1: nowhere) and whether as source.
  struct Location {
    int folder = -1;
    bool source = false;
  };

  TextReader reader;
  std::string log_line;  // the log line being visited: the unit file's path
  bool HeaderWritten = false;
  bool DependenciesFound = false;
  // Upper-case names of excluded and main units, and upper-case entries of MissingFiles.
  std::unordered_set<std::string> passed_over;
  std::unordered_set<std::string> missing;
  // Look-ups by upper-case unit name. Only valid while the search folders do not change, so it
  // is off when the run copies into one of them.
  bool remember_locations = true;
  std::unordered_map<std::string, Location> locations;
  // SearchPaths resolved once, with a trailing '/': relative entries would otherwise ask for
  // the current folder and walk every component again on each look-up. Empty: no such folder.
  std::vector<std::string> resolved_folders;
  // While locations are remembered: for each upper-case file name, the first search folder
  // holding such a file, so that a look-up costs the same with 80 search folders as with one.
  // Folders that exist but cannot be listed are asked name by name.
  std::unordered_map<std::string, int> first_folder;
  std::vector<int> unlisted_folders;

  void IndexFolders();
  // The first search folder where `name` + ".pas" or ".dcu" is a file.
  Location Find(const std::string& name) const;
};

void TfrmProjectBackup::ScanState::IndexFolders() {
  for (int i = 0; i < static_cast<int>(resolved_folders.size()); ++i) {
    const std::string& folder = resolved_folders[static_cast<size_t>(i)];
    if (folder.empty()) continue;
    std::vector<std::string> names;
    if (!ListFiles(folder, names)) {
      if (DirectoryExists(folder)) unlisted_folders.push_back(i);
      continue;
    }
    for (const std::string& file : names) first_folder.try_emplace(UpperCase(file), i);
  }
}

TfrmProjectBackup::ScanState::Location TfrmProjectBackup::ScanState::Find(
    const std::string& name) const {
  const std::string upper = UpperCase(name);
  auto first = [this](const std::string& key) {
    auto it = first_folder.find(key);
    return it == first_folder.end() ? INT_MAX : it->second;
  };
  const int pas = first(upper + ".PAS");
  const int dcu = first(upper + ".DCU");
  const int listed = std::min(pas, dcu);
  // Within one folder the source wins; an earlier folder wins over a later one.
  for (int i : unlisted_folders) {
    if (i >= listed) break;
    const std::string& folder = resolved_folders[static_cast<size_t>(i)];
    if (FileExists(folder + name + ".pas")) return {i, true};
    if (FileExists(folder + name + ".dcu")) return {i, false};
  }
  if (listed == INT_MAX) return {};
  return {listed, pas == listed};
}

void TfrmProjectBackup::ProcessDependencies() {
  ScanState scan;
  for (const std::string& name : StockUnits.items()) scan.passed_over.insert(UpperCase(name));
  for (const std::string& name : ProcessedUnits.items()) scan.passed_over.insert(UpperCase(name));
  for (const std::string& entry : MissingFiles.items()) scan.missing.insert(UpperCase(entry));
  const std::string target_key = FolderKey(TargetPath());
  for (const std::string& folder : SearchPaths.items()) {
    const std::string key = FolderKey(folder);
    if (!target_key.empty() && key == target_key) scan.remember_locations = false;
    scan.resolved_folders.push_back(key.empty() ? key : key == "/" ? key : key + "/");
  }
  if (scan.remember_locations) scan.IndexFolders();

  // Only the lines present now are visited; the scanner's own lines come after them.
  const int count = StatusMemo.count();
  for (int i = 0; i < count; ++i) {
    scan.HeaderWritten = false;
    scan.log_line = StatusMemo.line(i);  // a copy: the memo grows while the line is in use
    if (UpperCase(ExtractFileExt(scan.log_line)) != ".PAS") continue;
    ScanUnitFile(scan, scan.log_line);
  }
  if (!scan.DependenciesFound) {
    StatusMemo.Add("");
    StatusMemo.Add("NO DEPENDENCIES FOUND");
  }
}

// The four section searches. A file that ends before the line a search waits for ends its scan
// there; what was found up to then stays.
void TfrmProjectBackup::ScanUnitFile(ScanState& scan, const std::string& path) {
  // A main unit that does not exist was logged all the same; there is nothing to read.
  if (!FileExists(path)) return;
  if (!scan.reader.Open(path)) {
    // The reader's message names the file and the cause.
    const std::string& cause = scan.reader.error();
    throw std::runtime_error(cause.empty() ? "cannot read " + path : cause);
  }
  std::string line;
  auto read_until = [&](std::initializer_list<std::string_view> words) {
    while (scan.reader.ReadLine(line)) {
      for (std::string_view word : words) {
        if (BeginsWith(line, word)) return true;
      }
    }
    return false;
  };

  if (!read_until({"INTERFACE"})) return;
  if (!read_until({"USES", "IMPLEMENTATION"})) return;
  if (BeginsWith(line, "USES")) {
    if (!HandleUsesLine(scan, line)) return;
    if (!read_until({"IMPLEMENTATION"})) return;
  }
  if (!read_until({"USES", "FUNCTION", "PROCEDURE", "END."})) return;
  if (BeginsWith(line, "USES")) HandleUsesLine(scan, line);
}

// The keyword and the character after it are dropped; a bare keyword starts the list on the
// next line. False when the file ended.
bool TfrmProjectBackup::HandleUsesLine(ScanState& scan, const std::string& line) {
  std::string rest = line.size() > 5 ? line.substr(5) : std::string();
  if (rest.empty() && !scan.reader.ReadLine(rest)) return false;
  return ProcessUsesClause(scan, std::move(rest));
}

// Hands every name of one uses list to LocateAndCopyUnit. Always reads one line past the list's
// last line (that line is used up). False when the file ended.
bool TfrmProjectBackup::ProcessUsesClause(ScanState& scan, std::string rest) {
  constexpr size_t npos = std::string::npos;
  for (;;) {
    const bool list_ends = rest.find(';') != npos;
    bool in_comment = false;
    // The rest of the line starts at `start`: elements are taken by position, not by erasing
    // them, so a line of many elements is not copied once per element.
    size_t start = 0;
    size_t cut = rest.find(',');
    while (cut != npos) {
      std::string element = Trim(std::string_view(rest).substr(start, cut - start));
      const size_t brace = element.find('{');
      in_comment = brace != npos;
      // Cut at the brace but not trimmed again: "Forms {x}" gives "Forms " with its blank.
      if (brace != npos && brace > 0) element.resize(brace);
      if (!element.empty() && element.front() != '{') LocateAndCopyUnit(scan, element);

      if (rest[cut] == ';') {
        start = rest.size();
        break;
      }
      if (in_comment) {
        cut = rest.find('}', start);
        if (cut == npos) {
          start = rest.size();
          break;
        }
      }
      start = cut + 1;
      cut = NextCut(rest, start);
    }

    const std::string remainder = Trim(std::string_view(rest).substr(start));
    if (!remainder.empty() && !remainder.starts_with("//") && remainder.front() != '*' &&
        remainder.front() != '{') {
      const std::string element = Trim(std::string_view(remainder).substr(0, remainder.find(';')));
      if (!element.empty()) LocateAndCopyUnit(scan, element);
    }

    if (!scan.reader.ReadLine(rest)) return false;
    if (in_comment) {
      size_t close;
      while ((close = rest.find('}')) == npos) {
        if (!scan.reader.ReadLine(rest)) return false;
      }
      rest.erase(0, close + 1);
    }
    if (list_ends) return true;
  }
}

void TfrmProjectBackup::LocateAndCopyUnit(ScanState& scan, const std::string& name) {
  const std::string upper = UpperCase(name);
  if (scan.passed_over.contains(upper)) return;

  ScanState::Location location;
  auto known = scan.remember_locations ? scan.locations.find(upper) : scan.locations.end();
  if (known != scan.locations.end()) {
    location = known->second;
  } else {
    // A name with folder parts of its own is looked up as written, so that ".." stops at a
    // drive's root as it does for every other path text.
    const bool plain_name = name.find_first_of("\\/:") == std::string::npos;
    if (plain_name && scan.remember_locations) location = scan.Find(name);
    for (int i = 0; i < SearchPaths.Count() && !(plain_name && scan.remember_locations); ++i) {
      const std::string& folder =
          plain_name ? scan.resolved_folders[static_cast<size_t>(i)] : SearchPaths[i];
      if (plain_name && folder.empty()) continue;
      if (FileExists(folder + name + ".pas")) {
        location = {i, true};
        break;
      }
      if (FileExists(folder + name + ".dcu")) {
        location = {i, false};
        break;
      }
    }
    if (scan.remember_locations) scan.locations.emplace(upper, location);
  }

  if (location.folder < 0) {
    std::string entry = "* " + name;
    if (scan.missing.insert(UpperCase(entry)).second) MissingFiles.Add(std::move(entry));
    AddDependencyHeader(scan);
    StatusMemo.Add(name + " not found in search path");
    return;
  }

  AddDependencyHeader(scan);
  const std::string folder = SearchPaths[location.folder];
  const std::string ext = location.source ? ".pas" : ".dcu";
  if (location.source) {
    StatusMemo.Add(name + ".pas found in " + folder);
  } else {
    StatusMemo.Add(name + ".pas not found, but " + name + ".dcu found in " + folder);
  }
  CopyToTarget(folder + name + ext, name + ext);
  if (CopyToTarget(folder + name + ".dfm", name + ".dfm")) {
    StatusMemo.Add(name + ".dfm found in " + folder);
  }
}

void TfrmProjectBackup::AddDependencyHeader(ScanState& scan) {
  if (!scan.HeaderWritten) {
    scan.HeaderWritten = true;
    StatusMemo.Add("");
    StatusMemo.Add("DEPENDENCIES FOR " + scan.log_line);
  }
  scan.DependenciesFound = true;
}

}  // namespace zk::pb
