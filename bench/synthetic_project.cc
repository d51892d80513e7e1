#include "bench/synthetic_project.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

namespace zk::bench {
namespace fs = std::filesystem;
namespace {

const char* const kStockNames[] = {"Windows", "Messages", "SysUtils", "Classes", "Graphics",
                                   "Controls", "Forms", "Dialogs", "StdCtrls", "ExtCtrls"};

void WriteFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The same name in the letter case a careless file system copy might give it.
std::string OtherCase(const std::string& name, int variant) {
  std::string out = name;
  for (size_t i = 0; i < out.size(); ++i) {
    char& c = out[i];
    if (variant % 3 == 0) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (variant % 3 == 1) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    else if (i % 2) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string Padding(std::mt19937& rng) {
  // Unit bodies of a few kilobytes, as real units have.
  std::string body;
  int lines = 60 + static_cast<int>(rng() % 200);
  for (int i = 0; i < lines; ++i)
    body += "  Result := Result + " + std::to_string(rng() % 1000) + "; // arithmetic\r\n";
  return body;
}

struct Library {
  std::string name;
  int folder;
  bool source;  // else only the compiled unit
  bool form;
};

std::string UsesList(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    text += names[i];
    text += i + 1 < names.size() ? (i % 4 == 3 ? ",\r\n  " : ", ") : ";\r\n";
  }
  return text;
}

std::string UnitText(const std::string& name, const std::vector<std::string>& intf,
                     const std::vector<std::string>& impl, std::mt19937& rng) {
  std::string text = "unit " + name + ";\r\n\r\ninterface\r\n\r\nuses\r\n  " + UsesList(intf);
  text += "\r\nfunction Compute: Integer;\r\n\r\nimplementation\r\n\r\n{$R *.DFM}\r\n\r\nuses " +
          UsesList(impl);
  text += "\r\nfunction Compute: Integer;\r\nbegin\r\n  Result := 0;\r\n" + Padding(rng) +
          "end;\r\n\r\nend.\r\n";
  return text;
}

}  // namespace

GeneratedProject WriteSyntheticProject(const std::string& root_text, const ProjectShape& shape) {
  fs::path root = fs::absolute(root_text);
  fs::create_directories(root);
  std::mt19937 rng(shape.seed);
  GeneratedProject out;
  out.root = root.string();
  out.wine_prefix = (root / "prefix").string();

  // The Wine-style prefix: drive C and the IDE's library path with $(DELPHI).
  fs::create_directories(root / "prefix" / "drive_c" / "D4");
  fs::create_directories(root / "prefix" / "dosdevices");
  fs::create_directory_symlink("../drive_c", root / "prefix" / "dosdevices" / "c:");
  int ide_folders = shape.search_folders / 2;
  int dof_folders = shape.search_folders - ide_folders;
  std::string ide_path;
  for (int k = 0; k < ide_folders; ++k)
    ide_path += "$(DELPHI)\\\\Lib" + std::to_string(k) + (k + 1 < ide_folders ? ";" : "");
  WriteFile(root / "prefix" / "user.reg",
            "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\bench\n\n#arch=win32\n\n"
            "[Software\\\\Borland\\\\Delphi\\\\4.0\\\\Library] 1700000000\n#time=1d9\n"
            "\"Search Path\"=\"" + ide_path + "\"\n\n"
            "[Software\\\\Borland\\\\Package Collection Editor\\\\Installed Programs\\\\Delphi] "
            "1700000000\n#time=1d9\n\"Path\"=\"C:\\\\D4\"\n");
  auto folder_path = [&](int k) {
    if (k < dof_folders) return root / "libs" / std::string("f").append(std::to_string(k));
    return root / "prefix" / "drive_c" / "D4" /
           std::string("Lib").append(std::to_string(k - dof_folders));
  };

  // Library units.
  std::vector<Library> libs;
  for (int i = 0; i < shape.library_units; ++i) {
    Library lib{"LibUnit" + std::to_string(i), static_cast<int>(rng() % shape.search_folders),
                rng() % 5 != 0, rng() % 4 == 0};
    std::string file = OtherCase(lib.name, i);
    fs::path dir = folder_path(lib.folder);
    if (lib.source)
      WriteFile(dir / (file + ".pas"), UnitText(lib.name, {"SysUtils"}, {"Classes"}, rng));
    else
      WriteFile(dir / (file + ".DCU"), std::string(2048 + rng() % 4096, 'D'));
    if (lib.form) WriteFile(dir / (file + ".dfm"), "object Form: TForm\r\nend\r\n");
    libs.push_back(lib);
  }

  // Main units, listed in the project file; every tenth in a subfolder, a third with forms.
  fs::path project_dir = root / "project";
  std::string dpr = "program Big;\r\n\r\nuses\r\n  Forms,\r\n";
  for (int i = 0; i < shape.main_units; ++i) {
    std::string name = "Main" + std::to_string(i);
    std::string rel = (i % 10 == 0 ? "sub\\" : "") + name + ".pas";
    dpr += "  " + name + " in '" + rel + "'" + (i % 3 == 0 ? " {Form" + std::to_string(i) + "}" : "") +
           (i + 1 < shape.main_units ? ",\r\n" : ";\r\n");
    std::vector<std::string> intf, impl;
    for (int u = 0; u < shape.uses_per_unit; ++u) {
      std::string used;
      int pick = static_cast<int>(rng() % 100);
      if (pick < 10) used = kStockNames[rng() % std::size(kStockNames)];
      else if (pick < 12) used = "Missing" + std::to_string(rng() % 50);
      else if (pick < 15) used = "Main" + std::to_string(rng() % shape.main_units);
      else used = libs[rng() % libs.size()].name;
      (u < shape.uses_per_unit / 2 ? intf : impl).push_back(used);
    }
    fs::path unit = project_dir / (i % 10 == 0 ? fs::path("sub") / (name + ".pas") : fs::path(name + ".pas"));
    WriteFile(unit, UnitText(name, intf, impl, rng));
    if (i % 3 == 0) WriteFile(fs::path(unit).replace_extension(".dfm"), "object F: TForm\r\nend\r\n");
  }
  dpr += "\r\n{$R *.RES}\r\n\r\nbegin\r\n  Application.Initialize;\r\n  Application.Run;\r\nend.\r\n";
  WriteFile(project_dir / "Big.dpr", dpr);
  std::string dof_path;
  for (int k = 0; k < dof_folders; ++k)
    dof_path += "..\\libs\\f" + std::to_string(k) + (k + 1 < dof_folders ? ";" : "");
  WriteFile(project_dir / "Big.dof", "[Directories]\r\nOutputDir=\r\nSearchPath=" + dof_path + "\r\n");
  WriteFile(project_dir / "Big.res", std::string(1024, 'R'));
  out.project = (project_dir / "Big.dpr").string();
  return out;
}

}  // namespace zk::bench
