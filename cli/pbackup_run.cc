#include "cli/pbackup_run.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "cli/terminal_prompts.h"
#include "platform/file_ops.h"
#include "platform/path_resolver.h"
#include "platform/path_text.h"
#include "platform/program_folder.h"
#include "projectbackup/pb_main.h"

namespace zk::cli {

namespace {

constexpr const char* kSameFolderError = "Target directory must be different than source directory!";

// A path from the command line in a form that stays right after the current folder changes:
// Windows texts with a drive letter and absolute Linux paths as given, relative ones made
// absolute against the current folder (matching existing components ignoring case, as every
// other path). Empty when the text cannot name a file.
std::string CommandLinePath(const std::string& text) {
  if (text.empty()) return {};
  if (!ExtractFileDrive(text).empty() || text.front() == '/') return text;
  return ResolvePath(text).value_or(std::string());
}

// The Linux folder a folder text names, without trailing separators; empty if none.
std::string FolderKey(const std::string& folder) {
  std::string key = ResolvePath(folder).value_or(std::string());
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

// Whether two path texts name one file (also when spelled differently: a Windows and a Linux
// path, another letter case).
bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  const std::optional<std::string> resolved_a = ResolvePath(a);
  const std::optional<std::string> resolved_b = ResolvePath(b);
  if (!resolved_a || !resolved_b) return false;
  std::error_code error;
  return std::filesystem::equivalent(*resolved_a, *resolved_b, error);
}

bool SameFolder(const std::string& a, const std::string& b) {
  if (SameText(a, b)) return true;
  const std::string key = FolderKey(a);
  return !key.empty() && key == FolderKey(b);
}

// The project's own settings or the defaults: what a Clear (without its question) leaves before
// the project is set, so nothing of the last project backed up carries over.
void StartFromProject(pb::TfrmProjectBackup& form, const std::string& project) {
  form.SetSourceProject("");
  form.SetLogFile("");
  form.SetTargetPath("");
  form.SetProjectIniFile("");
  form.lbExtraFiles.Clear();
  form.SettingsChanged = false;
  form.ExtraFilesChanged = false;
  form.lbStockUnits.Assign(form.StockUnits.items());
  form.SetSourceProject(project);
}

// Makes one list edit through the dialog's key handlers, so that the list and its changed flag
// end up as an INSERT or a confirmed DELETE leaves them. Empty, or why the edit cannot be made.
std::string ApplyEdit(pb::TfrmProjectBackup& form, TerminalPrompts& prompts, const ListEdit& edit) {
  unsigned short key = pb::VK_INSERT;
  switch (edit.kind) {
    case ListEdit::Kind::Exclude:
      prompts.ChooseFilesNext({edit.value});
      form.lbStockUnitsKeyDown(key, 0);
      return {};
    case ListEdit::Kind::Extra: {
      const std::string file = CommandLinePath(edit.value);
      if (file.empty() || !FileExists(file)) return "cannot find the extra file " + edit.value;
      prompts.ChooseFilesNext({file});
      form.lbExtraFilesKeyDown(key, 0);
      return {};
    }
    case ListEdit::Kind::Include: {
      const std::string unit = UpperCase(ExtractFileName(edit.value));
      const std::string name = ExtractFileExt(unit).empty()
                                   ? unit
                                   : unit.substr(0, unit.size() - ExtractFileExt(unit).size());
      const auto& items = form.lbStockUnits.items();
      for (int i = 0; i < form.lbStockUnits.count(); ++i) {
        if (!SameText(items[static_cast<size_t>(i)], name)) continue;
        form.lbStockUnits.SetItemIndex(i);
        prompts.ConfirmNext();
        key = pb::VK_DELETE;
        form.lbStockUnitsKeyDown(key, 0);
        return {};
      }
      return name + " is not among the excluded units";
    }
  }
  return {};
}

}  // namespace

int RunPbackup(const PbackupOptions& options, std::ostream& out, std::ostream& err) {
  auto fail = [&err](const std::string& reason) {
    err << "pbackup: " << reason << std::endl;
    return kExitError;
  };

  const std::string project = CommandLinePath(options.project);
  if (project.empty() || !FileExists(project)) {
    return fail("cannot find the project file " + options.project);
  }
  std::string target;
  if (!options.target.empty()) {
    target = CommandLinePath(options.target);
    if (target.empty()) return fail("cannot use the target folder " + options.target);
  }
  std::string log_file;
  if (!options.log_file.empty()) {
    log_file = CommandLinePath(options.log_file);
    if (log_file.empty()) return fail("cannot use the log file " + options.log_file);
  }
  if (!options.ide_dir.empty()) {
    const std::string ide_dir = CommandLinePath(options.ide_dir);
    if (ide_dir.empty()) return fail("cannot use the IDE folder " + options.ide_dir);
    SetProgramFolder(AddBackslash(ide_dir));
  }

  TerminalPrompts prompts(err, options.assume_yes);
  pb::TfrmProjectBackup form(prompts, options.delphi_version);
  StartFromProject(form, project);
  // The dialog follows a settings file that names another project (a folder copied with its
  // settings) or none (a broken file); the command line named the project to back up.
  if (!SameFile(form.SourceProject(), project)) {
    const std::string settings = UpperCase(ChangeFileExt(project, ".ini"));
    const std::string named = form.SourceProject().empty()
                                  ? std::string("no project")
                                  : "the project " + form.SourceProject();
    return fail("the settings file " + ResolvePath(settings).value_or(settings) + " names " +
                named + " instead of " + project + "; correct its SourceProject or remove it");
  }
  if (!log_file.empty()) form.SetLogFile(log_file);
  for (const ListEdit& edit : options.edits) {
    if (std::string problem = ApplyEdit(form, prompts, edit); !problem.empty()) return fail(problem);
  }

  if (target.empty()) {
    target = form.TargetPath();
    if (target.empty() || target == pb::kNoTarget) {
      return fail("no destination folder is saved for " + form.SourceProject() +
                  "; name one as TARGET_DIR");
    }
  }
  pb::AddBackslash(target);
  if (SameFolder(target, form.ProjectDir)) return fail(kSameFolderError);
  form.SetTargetPath(target);

  const std::string project_folder = FolderKey(ExtractFilePath(form.SourceProject()));
  if (project_folder.empty() || ::chdir(project_folder.c_str()) != 0) {
    return fail("cannot enter the project folder " + ExtractFilePath(form.SourceProject()) +
                ": " + std::strerror(errno));
  }

  form.btnBackupClick();
  for (const std::string& line : form.StatusMemo.lines()) out << line << '\n';
  out.flush();

  if (!prompts.exceptions().empty()) return kExitError;
  if (prompts.refusals() > 0) {
    return fail(ExtractFileName(form.SourceProject()) + " already exists in " + target +
                "; not overwriting the previous backup without --yes");
  }
  // The warning naming the log has been printed.
  if (!form.FailedCopies.empty()) return kExitError;
  if (form.MissingFiles.Count() > 0) return kExitUnitsMissing;
  return kExitSuccess;
}

}  // namespace zk::cli
