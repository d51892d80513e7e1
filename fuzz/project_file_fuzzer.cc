// The project file's uses-list reader, through a whole backup run of a project whose .dpr is the
// input. The main units logged and kept in ProcessedUnits are compared with a model of the rules:
// the list starts on the second line after the first line beginning with "uses", each line
// names the file between its first two apostrophes, and the line holding a ";" is the last.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/backup_fixture.h"
#include "platform/file_ops.h"
#include "platform/path_text.h"

namespace {

using zk::fuzz::Check;

std::vector<std::string> MainUnitNames(const std::string& project_text) {
  const std::vector<std::string> lines = zk::SplitLines(project_text);
  size_t i = 0;
  while (i < lines.size() && !zk::UpperCase(lines[i]).starts_with("USES")) ++i;
  std::vector<std::string> names;
  for (i += 2; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const size_t open = line.find('\'');
    const size_t close = open == std::string::npos ? open : line.find('\'', open + 1);
    // A unit named without a file has nothing to copy.
    if (close != std::string::npos && close > open + 1) {
      names.push_back(line.substr(open + 1, close - open - 1));
    }
    if (line.find(';') != std::string::npos) break;
  }
  return names;
}

void CheckMainUnits(const std::string& project_text, const zk::pb::TfrmProjectBackup& form) {
  const std::vector<std::string> names = MainUnitNames(project_text);
  const std::vector<std::string>& lines = form.StatusMemo.lines();
  size_t at = 0;
  while (at < lines.size() && lines[at] != "MAIN UNITS") ++at;
  ++at;
  Check(form.ProcessedUnits.Count() == static_cast<int>(names.size()),
        "one processed unit per main unit");
  for (size_t n = 0; n < names.size(); ++n) {
    const std::string& name = names[n];
    Check(form.ProcessedUnits[static_cast<int>(n)] ==
              zk::UpperCase(zk::ChangeFileExt(zk::ExtractFileName(name), "")),
          "the processed unit is the upper-case file name without extension");
    Check(at < lines.size() && lines[at] == form.ProjectDir + name,
          "each main unit is logged with the project folder");
    ++at;
    const std::string form_file = form.ProjectDir + zk::ChangeFileExt(name, ".dfm");
    if (!zk::ExtractFileName(form_file).empty() && zk::FileExists(form_file)) {
      Check(at < lines.size() && lines[at] == form_file, "an existing form file is logged");
      ++at;
    }
  }
  Check(at < lines.size() && lines[at].empty(), "the main units end the section");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const zk::fuzz::BackupFixture& fixture = zk::fuzz::SetUpBackupFixture();
  zk::fuzz::ResetBackupState(fixture);
  const std::string project(reinterpret_cast<const char*>(data), size);
  zk::fuzz::WriteBytes(fixture.project_dir + "Demo.dpr", project);
  zk::fuzz::RunBackupAndCheck(fixture, [&](const zk::pb::TfrmProjectBackup& form) {
    CheckMainUnits(project, form);
  });
  return 0;
}
