#pragma once
// A backup dialog on real temporary folders: its own program folder for the global settings
// file, its own Wine prefix (drive C: only) so the user's drives never leak in, scripted prompts.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formcore/canvas.h"
#include "platform/program_folder.h"
#include "projectbackup/pb_main.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/scripted_prompts.h"

namespace zk::pb::test {

class BackupDialogTest : public ::testing::Test {
 protected:
  BackupDialogTest() {
    if (const char* old = std::getenv("WINEPREFIX")) old_prefix_ = old;
    std::filesystem::create_directories(temp.path() / "wine/drive_c");
    std::filesystem::create_directories(temp.path() / "wine/dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", temp.path() / "wine/dosdevices/c:");
    ::setenv("WINEPREFIX", (temp / "wine").c_str(), 1);
    std::filesystem::create_directories(temp.path() / "ide");
    SetProgramFolder(temp.dir() + "ide/");
  }
  ~BackupDialogTest() override {
    SetProgramFolder("");
    if (old_prefix_)
      ::setenv("WINEPREFIX", old_prefix_->c_str(), 1);
    else
      ::unsetenv("WINEPREFIX");
  }

  std::unique_ptr<TfrmProjectBackup> Open(int delphi_version = 4) {
    return std::make_unique<TfrmProjectBackup>(prompts, delphi_version);
  }

  // Makes `folder/name.dpr` and returns its path.
  std::string Project(const std::string& folder, const std::string& name) const {
    return temp.Write(folder + "/" + name + ".dpr", "program " + name + ";\r\nbegin\r\nend.\r\n");
  }
  // The Linux folder behind C:\ of the test's Wine prefix.
  std::string DriveC() const { return temp.dir() + "wine/drive_c/"; }

  std::string GlobalIni() const { return temp.dir() + "ide/ProjectBackup.ini"; }
  void WriteGlobal(const std::string& project) const {
    temp.Write("ide/ProjectBackup.ini", "[Settings]\r\nSourceProject=" + project + "\r\n");
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void Write(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
  }

  zk::test::ScopedTempDir temp;
  zk::test::ScriptedPrompts prompts;

 private:
  std::optional<std::string> old_prefix_;
};

// Records what an owner-drawn item does, starting from the colours the view prepared.
class RecordingCanvas : public form::Canvas {
 public:
  struct Text {
    int x, y;
    std::string text;
    form::Color color;
  };
  explicit RecordingCanvas(form::Color prepared) : color_(prepared) {}

  form::Color FontColor() const override { return color_; }
  void SetFontColor(form::Color color) override {
    color_ = color;
    calls.push_back("SetFontColor");
  }
  unsigned FontStyle() const override { return style_; }
  void SetFontStyle(unsigned style) override { style_ = style; }
  void FillRect(const form::Rect& rect) override {
    filled.push_back(rect);
    calls.push_back("FillRect");
  }
  void TextOut(int x, int y, const std::string& text) override {
    texts.push_back({x, y, text, color_});
    calls.push_back("TextOut");
  }
  int TextHeight(const std::string&) override { return 13; }
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()) * 6; }

  std::vector<std::string> calls;
  std::vector<form::Rect> filled;
  std::vector<Text> texts;

 private:
  form::Color color_;
  unsigned style_ = 0;
};

}  // namespace zk::pb::test
