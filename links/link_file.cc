#include "links/link_file.h"

#include "platform/file_ops.h"
#include "platform/program_folder.h"

namespace zk::links {
namespace {

// A function-local object, so the package's start-up code may set it before or after any other
// static object of the package is built.
std::string& LinkFileNameStorage() {
  static std::string name(kLinkFileBaseName);
  return name;
}

}  // namespace

const std::string& LinkFileName() { return LinkFileNameStorage(); }

void InitLinkFileName() { LinkFileNameStorage() = ProgramFolder() + std::string(kLinkFileBaseName); }

void ClearLinkFileName() { LinkFileNameStorage().clear(); }

const std::string& MakerEntryLine() {
  static const std::string line = JoinLinkLine("Quorvin's Delphi Resources", kMakerDelphiURL);
  return line;
}

const std::vector<std::string>& DefaultLinkLines() {
  static const std::vector<std::string> lines = {
      MakerEntryLine(),
      "Borland: Delphi downloads|http://www.borland.example.com/delphi/downloads/",
      "Borland: Delphi FAQ|http://www.borland.example.com/delphi/faq.html",
      "Borland: Delphi 3 fixes/patches|http://www.borland.example.com/devsupport/delphi/d3/",
      "GroupSeek.example.net Newsgroup Search|http://www.groupseek.example.net/",
      "Delphi Jobs|http://www.pascalcommunity.example.org/jobs/",
      "Pascal Component Vault (US mirror)|http://community.borland.example.com/vault/us/",
      "The Delphi Workbench|http://www.delphiworkbench.example.org/",
      "Marten's Delphi Components|http://www.marten.example.net/delphi/",
  };
  return lines;
}

LinkEntry SplitLinkLine(std::string_view line) {
  size_t bar = line.find('|');
  if (bar == std::string_view::npos) return {std::string(), std::string(line)};
  return {std::string(line.substr(0, bar)), std::string(line.substr(bar + 1))};
}

std::string JoinLinkLine(std::string_view description, std::string_view url) {
  std::string line;
  line.reserve(description.size() + 1 + url.size());
  line.append(description).append("|").append(url);
  return line;
}

LinkFileContents LoadLinkLines(const std::string& path) {
  LinkFileContents contents;
  if (!FileExists(path)) {
    // When the file cannot be made the user still gets the built-in list.
    if (OpResult written = WriteTextLines(path, DefaultLinkLines()); !written)
      return {DefaultLinkLines(), "The link list could not be created: " + written.error};
  }
  if (OpResult read = ReadTextLines(path, contents.lines); !read) {
    contents.error = "The link list could not be read: " + read.error;
    contents.unread = true;
    return contents;
  }
  if (!contents.lines.empty() && contents.lines.front() != MakerEntryLine()) {
    contents.lines.insert(contents.lines.begin(), MakerEntryLine());
    if (OpResult written = WriteTextLines(path, contents.lines); !written)
      contents.error = "The link list could not be updated: " + written.error;
  }
  return contents;
}

}  // namespace zk::links
