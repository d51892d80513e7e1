#pragma once
// The files of the open project as the IDE lists them: the project file first, then the units
// that its uses clause names with an `in 'path'` part, as full paths.

#include <string>
#include <string_view>
#include <vector>

namespace zk::host {

// The `in` paths of the project text's uses clause, in order, exactly as written. Comments
// ({...}, (*...*), //...) and entries without a path are skipped.
std::vector<std::string> ParseProjectUses(std::string_view project_text);

class ProjectUnits {
 public:
  // Reads the project file. On failure `error` names the file and the cause and the previous
  // project stays open.
  bool Open(const std::string& project_path, std::string& error);
  void Close();

  bool IsOpen() const { return !files_.empty(); }
  // Full path of the project file, or empty.
  std::string ProjectFile() const { return files_.empty() ? std::string() : files_.front(); }
  // The project's folder with a trailing `/`, or empty.
  std::string ProjectFolder() const;
  const std::vector<std::string>& files() const { return files_; }

 private:
  std::vector<std::string> files_;
};

// A unit path as written in the project, made full: relative texts are taken from the project
// folder with `\` read as `/`; texts with a drive letter stay as they are.
std::string UnitFullPath(const std::string& project_folder, const std::string& written);

}  // namespace zk::host
