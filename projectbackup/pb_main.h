#pragma once
// The backup dialog without a toolkit: its components, its state and every handler. The Qt view
// (pb_view) shows it, pbackup drives it from the command line, the tests drive it directly.

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "formcore/canvas.h"
#include "formcore/components.h"
#include "formcore/prompts.h"
#include "platform/drive_types.h"
#include "platform/file_ops.h"
#include "platform/string_list.h"

namespace zk::pb {

// Virtual key codes the list handlers look at.
constexpr unsigned short VK_INSERT = 45;
constexpr unsigned short VK_DELETE = 46;
enum ShiftState : unsigned { ssShift = 1u << 0, ssAlt = 1u << 1, ssCtrl = 1u << 2 };

inline constexpr const char* kNoProject = "<click to select desired project>";
inline constexpr const char* kNoTarget = "<click to select desired folder>";
inline constexpr const char* kNoLogFile = "<click to select log file name or folder>";
inline constexpr const char* kNoBackup = "<none>";
inline constexpr const char* kMakerUrl = "http://www.quorvin.example.com/";
inline constexpr const char* kMakerAddInsUrl = "http://www.quorvin.example.com/delphi/experts.html";
inline constexpr const char* kPelloraUrl = "http://www.quorvin.example.com/pellora/";
inline constexpr const char* kMakerNotice = "Copyright (c) 1998 Quorvin";

// The 100 entries that seed the excluded units (DIROUTLN twice).
const std::vector<std::string>& StockUnitTable();

// Appends a separator unless the folder text already ends with one.
void AddBackslash(std::string& folder);

// The drive the destination choice suggests: the first removable or remote drive from A to Z,
// or the letter after Z, which names no drive, when there is none.
char ScanDefaultTargetDrive(const std::function<DriveType(char)>& drive_type = GetDriveType);

class TfrmProjectBackup {
 public:
  // Runs FormCreate. `delphi_version` is 4, or 3 for the version-3 build.
  TfrmProjectBackup(form::Prompts& prompts, int delphi_version);
  ~TfrmProjectBackup();
  TfrmProjectBackup(const TfrmProjectBackup&) = delete;
  TfrmProjectBackup& operator=(const TfrmProjectBackup&) = delete;

  // ---- components, in declaration order (object names are the field names) ----
  form::OpenDialog odFindProjectFile;
  form::Plain Panel1{"Panel1", true};
  form::Label lblSourceProject{"lblSourceProject"};
  form::ListBox lbStockUnits{"lbStockUnits", true};
  form::OpenDialog odFindUnit;
  form::Button btnExit{"btnExit", "E&xit"};
  form::Memo StatusMemo{"StatusMemo"};
  form::Plain Splitter1{"Splitter1", false};
  form::Label lblTargetPath{"lblTargetPath"};
  form::Label Label2{"Label2", "&Units to be excluded from the backup"};
  form::Button btnSource{"btnSource", "1: &Source Project"};
  form::Button btnTarget{"btnTarget", "2: &Target Path"};
  form::Label lblLastBackup{"lblLastBackup"};
  form::Button btnLogFile{"btnLogFile", "Select &Log File"};
  form::Label lblLogFile{"lblLogFile"};
  form::OpenDialog odFindLogFile;
  form::Button btnBackup{"btnBackup", "3: &Back It Up!"};
  form::Plain Splitter2{"Splitter2", false};
  form::ListBox lbExtraFiles{"lbExtraFiles", false};
  form::Label Label1{"Label1", "&Extra files to backup"};
  form::OpenDialog odExtraFiles;
  form::Button btnClear{"btnClear", "&Clear"};
  form::Label lblURL{"lblURL"};
  form::Plain Image1{"Image1", false};

  // Every component that is a control, in declaration order.
  std::vector<form::Control*> Controls();

  // ---- event handlers ----
  void btnBackupClick();
  void FormCreate();
  void FormClose();
  void lbStockUnitsKeyDown(unsigned short& key, unsigned shift);
  void lbStockUnitsDrawItem(form::Canvas& canvas, int index, const form::Rect& rect,
                            unsigned state);
  void btnExitClick();
  void btnSourceClick();
  void btnTargetClick();
  void btnLogFileClick();
  void lbExtraFilesKeyDown(unsigned short& key, unsigned shift);
  void btnClearClick();
  void lblURLDblClick();

  // ---- other methods ----
  void DisableControls();
  void EnableControls();
  void ProcessDependencies();
  void BuildSearchPathList();
  void EnableBackupButton();
  void ReadSettings(const std::string& file_name, bool source_only);
  // Writes both settings files. The failure names the file and the cause; earlier content of a
  // file that could not be written is kept.
  OpResult SaveSettings();

  void SetSourceProject(const std::string& value);
  void SetProjectIniFile(const std::string& value);
  void SetTargetPath(const std::string& value);
  void SetLogFile(const std::string& value);
  void SetLastBackup(const std::string& value);

  // ---- state (read access for views, the command line and tests) ----
  char DefaultTargetDrive = 'A';
  std::string ProjectDir;
  const std::string& TargetPath() const { return target_path_; }
  const std::string& LastBackup() const { return last_backup_; }
  const std::string& LogFile() const { return log_file_; }
  std::string GlobalIniFile;
  const std::string& ProjectIniFile() const { return project_ini_file_; }
  const std::string& SourceProject() const { return source_project_; }
  bool ExtraFilesChanged = false;
  bool SettingsChanged = false;
  int DelphiVersion = 4;
  StringList StockUnits;
  StringList ProcessedUnits;
  StringList MissingFiles;
  StringList SearchPaths;

  // Destination files whose source existed but could not be copied during the last run.
  std::vector<std::string> FailedCopies;

  // Set by btnExitClick; the view ends the modal display.
  std::function<void()> OnClose;
  bool close_requested() const { return close_requested_; }

  form::Prompts& prompts() { return prompts_; }

 private:
  form::Prompts& prompts_;
  std::string target_path_;
  std::string last_backup_;
  std::string log_file_;
  std::string project_ini_file_;
  std::string source_project_;
  bool close_requested_ = false;
  // Settings files being read right now, so that files naming each other do not recurse.
  std::vector<std::string> reading_settings_;
  // The host version this build is made for; FormCreate puts it into DelphiVersion.
  int build_delphi_version_ = 4;

  // The state of a project without a settings file.
  void ResetToDefaults();
  bool IsReadingSettings(const std::string& file_name) const;

  // ---- backup run internals (pb_run.cc, pb_scanner.cc, pb_search_paths.cc) ----
  struct ScanState;
  void RunBackup();
  void CopyMainUnits();
  void ProcessMainUnit(const std::string& name);
  void WriteLogEnd();
  void ReportOutcome();
  void AddSearchPaths(std::string list, const std::string& delphi_root);
  // Copies `source` into the target folder under the file part of `dest_name`. A source that
  // does not exist is no failure; any other failure is recorded in FailedCopies.
  bool CopyToTarget(const std::string& source, const std::string& dest_name);
  void ScanUnitFile(ScanState& scan, const std::string& path);
  bool HandleUsesLine(ScanState& scan, const std::string& line);
  bool ProcessUsesClause(ScanState& scan, std::string rest);
  void LocateAndCopyUnit(ScanState& scan, const std::string& name);
  void AddDependencyHeader(ScanState& scan);
  // What this run copied to each destination (key: upper-case file name), so that a file named
  // by many units is copied once while the log still names it every time.
  struct CopyRecord {
    std::string source;
    bool ok = false;
  };
  std::unordered_map<std::string, CopyRecord> copies_;
  std::unordered_set<std::string> failed_copy_keys_;
};

}  // namespace zk::pb
