// The backup against its floor. For a synthetic project of N main units (and one of 2N) it times
// pbackup and, on the same machine in the same run, the least work any backup must do: read
// every unit file the scan opens and copy the distinct files the backup copied, with one `cp`.
// Prints medians, the ratio to the floor, pbackup's peak memory and the 2N/N ratio.
//
//   backup_bench [--units N] [--libs L] [--folders K] [--runs R] [--work DIR]
//                [--pbackup PATH] [--dialog PATH]

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "bench/process_timer.h"
#include "bench/synthetic_project.h"
#include "platform/file_ops.h"
#include "platform/path_resolver.h"
#include "platform/path_text.h"

namespace fs = std::filesystem;
using namespace zk::bench;

namespace {

struct Options {
  ProjectShape shape;
  int runs = 5;
  std::string work;
  std::string pbackup;
  std::string dialog;
};

bool StartsWith(const std::string& s, const std::string& p) { return s.rfind(p, 0) == 0; }

std::string Between(const std::string& line, const std::string& marker) {
  size_t at = line.find(marker);
  return at == std::string::npos ? std::string() : line.substr(at + marker.size());
}

// The source files a backup copied (as path texts), from its log, and the units it scanned.
struct LogFacts {
  std::set<std::string> copied;
  std::vector<std::string> scanned;
};

LogFacts ReadLog(const std::string& log_file) {
  LogFacts facts;
  std::vector<std::string> lines;
  zk::ReadTextLines(log_file, lines);
  std::string section;
  for (const std::string& line : lines) {
    if (line == "PROJECT FILES" || line == "MAIN UNITS" || line == "EXTRA FILES" ||
        StartsWith(line, "DEPENDENCIES FOR ") || line == "MISSING FILES:" ||
        StartsWith(line, "BACKUP COMPLETED")) {
      section = line;
      continue;
    }
    if (line.empty()) continue;
    if (section == "PROJECT FILES" || section == "MAIN UNITS" || section == "EXTRA FILES") {
      facts.copied.insert(line);
      if (section == "MAIN UNITS" && zk::SameText(zk::ExtractFileExt(line), ".pas"))
        facts.scanned.push_back(line);
      continue;
    }
    if (!StartsWith(section, "DEPENDENCIES FOR ")) continue;
    size_t space = line.find(' ');
    std::string name = line.substr(0, space);
    if (line.find(".dcu found in ") != std::string::npos) {
      std::string unit = name.substr(0, name.size() - 4);  // drop ".pas"
      facts.copied.insert(Between(line, ".dcu found in ") + unit + ".dcu");
    } else if (line.find(" found in ") != std::string::npos) {
      facts.copied.insert(Between(line, " found in ") + name);
    }
  }
  return facts;
}

struct Timing {
  double wall = 0;
  double cpu = 0;
};

// Dirty pages of the previous run are written out first, so that no run pays for another's.
void Settle() { ::sync(); }

// Reading the scanned units and one cp of the copied files into an empty folder.
Timing FloorOnce(const LogFacts& facts, const std::string& target) {
  fs::remove_all(target);
  fs::create_directories(target);
  Settle();
  const double cpu_before = SelfCpuSeconds();
  auto start = std::chrono::steady_clock::now();
  for (const auto& unit : facts.scanned) {
    std::string bytes;
    zk::ReadFileBytes(unit, bytes);
  }
  std::vector<std::string> argv = {"cp", "-f", "--preserve=mode,timestamps", "-t", target};
  for (const auto& file : facts.copied)
    if (auto real = zk::ResolvePath(file); real && fs::is_regular_file(*real)) argv.push_back(*real);
  const RunResult cp = RunProgram(argv, {});
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          SelfCpuSeconds() - cpu_before + cp.cpu_seconds};
}

struct SizeFigures {
  double backup = 0, floor = 0, dialog = 0;
  double backup_cpu = 0, floor_cpu = 0, dialog_cpu = 0;
  long peak_kb = 0;
  size_t files = 0;
};

SizeFigures Measure(const Options& opt, const ProjectShape& shape, const std::string& tag) {
  std::string root = opt.work + "/" + tag;
  GeneratedProject project;
  if (!fs::exists(root + "/project/Big.dpr")) {
    std::cerr << "generating " << tag << " in " << root << " ...\n";
    project = WriteSyntheticProject(root, shape);
  } else {
    project = {root, root + "/project/Big.dpr", root + "/prefix"};
  }
  setenv("WINEPREFIX", project.wine_prefix.c_str(), 1);
  std::vector<std::string> env = {"WINEPREFIX=" + project.wine_prefix};
  std::string ide = root + "/ide";
  fs::create_directories(ide);
  std::string target = root + "/target";
  std::string log = root + "/run.log";

  SizeFigures figures;
  std::vector<double> backups, floors, dialogs, backup_cpu, floor_cpu, dialog_cpu;
  // The floor needs the file list of one backup first.
  RunResult first = RunProgram({opt.pbackup, "--yes", "--ide-dir", ide, "--log", log,
                                project.project, target},
                               env);
  if (first.exit_code != 0 && first.exit_code != 1) {
    std::cerr << "pbackup failed with exit code " << first.exit_code << "\n";
    std::exit(2);
  }
  const LogFacts facts = ReadLog(log);
  figures.files = facts.copied.size();

  auto backup = [&] {
    fs::remove_all(target);
    Settle();
    RunResult r = RunProgram({opt.pbackup, "--yes", "--ide-dir", ide, "--log", log,
                              project.project, target},
                             env);
    backups.push_back(r.seconds);
    backup_cpu.push_back(r.cpu_seconds);
    figures.peak_kb = std::max(figures.peak_kb, r.peak_rss_kb);
  };
  auto floor = [&] {
    const Timing t = FloorOnce(facts, target + "-floor");
    floors.push_back(t.wall);
    floor_cpu.push_back(t.cpu);
  };
  auto dialog = [&] {
    fs::remove_all(target);
    Settle();
    RunResult d = RunProgram({opt.dialog, "--yes", "--ide-dir", ide, "--log", log,
                              project.project, target},
                             {"WINEPREFIX=" + project.wine_prefix, "QT_QPA_PLATFORM=offscreen"});
    dialogs.push_back(d.seconds);
    dialog_cpu.push_back(d.cpu_seconds);
  };
  std::vector<std::function<void()>> order = {backup, floor};
  if (!opt.dialog.empty()) order.push_back(dialog);
  // Each run starts with another of them: what one leaves the file system to do in the
  // background is paid by each in turn.
  for (int run = 0; run < opt.runs; ++run) {
    for (size_t i = 0; i < order.size(); ++i) order[(run + i) % order.size()]();
  }
  figures.backup = Median(backups);
  figures.floor = Median(floors);
  figures.dialog = Median(dialogs);
  figures.backup_cpu = Median(backup_cpu);
  figures.floor_cpu = Median(floor_cpu);
  figures.dialog_cpu = Median(dialog_cpu);
  return figures;
}

Options Parse(int argc, char** argv) {
  Options opt;
  fs::path self = fs::canonical("/proc/self/exe");
  opt.pbackup = (self.parent_path().parent_path() / "bin" / "pbackup").string();
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string key = argv[i], value = argv[i + 1];
    if (key == "--units") opt.shape.main_units = std::stoi(value);
    else if (key == "--libs") opt.shape.library_units = std::stoi(value);
    else if (key == "--folders") opt.shape.search_folders = std::stoi(value);
    else if (key == "--runs") opt.runs = std::stoi(value);
    else if (key == "--work") opt.work = value;
    else if (key == "--pbackup") opt.pbackup = value;
    else if (key == "--dialog") opt.dialog = value;
    else {
      std::cerr << "unknown option " << key << "\n";
      std::exit(2);
    }
  }
  if (opt.work.empty()) opt.work = (fs::temp_directory_path() / "zk-backup-bench").string();
  fs::create_directories(opt.work);
  opt.work = fs::canonical(opt.work).string();
  return opt;
}

void Print(const char* label, const ProjectShape& s, const SizeFigures& f) {
  std::printf("%-4s N=%d L=%d K=%d  files copied %zu\n", label, s.main_units, s.library_units,
              s.search_folders, f.files);
  std::printf("     pbackup %.3f s   floor %.3f s   ratio %.2f   peak memory %.1f MB\n", f.backup,
              f.floor, f.floor > 0 ? f.backup / f.floor : 0.0, f.peak_kb / 1024.0);
  std::printf("     cpu: pbackup %.3f s   floor %.3f s   ratio %.2f\n", f.backup_cpu, f.floor_cpu,
              f.floor_cpu > 0 ? f.backup_cpu / f.floor_cpu : 0.0);
  if (f.dialog > 0)
    std::printf("     dialog with Qt view %.3f s (cpu %.3f s)   ratio to pbackup %.2f (cpu %.2f)\n",
                f.dialog, f.dialog_cpu, f.dialog / f.backup,
                f.backup_cpu > 0 ? f.dialog_cpu / f.backup_cpu : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  Options opt = Parse(argc, argv);
  ProjectShape twice = opt.shape;
  twice.main_units *= 2;
  twice.library_units *= 2;
  twice.search_folders *= 2;
  SizeFigures one = Measure(opt, opt.shape, "n" + std::to_string(opt.shape.main_units));
  SizeFigures two = Measure(opt, twice, "n" + std::to_string(twice.main_units));
  std::printf("median of %d runs each\n", opt.runs);
  Print("N", opt.shape, one);
  Print("2N", twice, two);
  std::printf("scaling: time(2N) / time(N) = %.2f   cpu %.2f\n", two.backup / one.backup,
              two.backup_cpu / one.backup_cpu);
  return 0;
}
