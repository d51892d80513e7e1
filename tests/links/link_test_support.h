#pragma once
// What the links tests share: a real temporary program folder holding the link list file, a
// canvas that records what a handler draws, and a way to make permission bits count when the
// tests run as root.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "formcore/canvas.h"
#include "links/link_file.h"
#include "platform/program_folder.h"
#include "tests/support/scoped_temp_dir.h"

namespace zk::test {

// Every line followed by CR LF, as the link list file holds them.
inline std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A test whose program folder is a fresh temporary folder; LinkFileName points into it.
class LinkFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramFolder(dir_.dir());
    links::InitLinkFileName();
  }
  void TearDown() override {
    SetProgramFolder({});
    links::ClearLinkFileName();
  }

  std::string LinkFile() const { return dir_ / links::kLinkFileBaseName; }
  void WriteLinkFile(std::string_view bytes) const { dir_.Write(links::kLinkFileBaseName, bytes); }
  std::string ReadLinkFile() const { return dir_.Read(links::kLinkFileBaseName); }
  bool LinkFileExists() const {
    struct stat st;
    return ::stat(LinkFile().c_str(), &st) == 0;
  }
  // An atomic replacement makes a new file, so an unchanged inode means the file was not written.
  ino_t LinkFileInode() const {
    struct stat st;
    return ::stat(LinkFile().c_str(), &st) == 0 ? st.st_ino : 0;
  }
  const ScopedTempDir& dir() const { return dir_; }

 private:
  ScopedTempDir dir_;
};

// In a forked child: becomes "nobody", runs `body` and returns the exit code that tells the parent
// whether it passed. The child's failures reach the parent on its stderr.
inline int RunAsNobody(const std::function<void()>& body) {
  if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 3;
  ::testing::TestPartResultArray failures;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &failures);
    body();
  }
  for (int i = 0; i < failures.size(); ++i) {
    const auto& failure = failures.GetTestPartResult(i);
    std::fprintf(stderr, "%s:%d: %s\n", failure.file_name() ? failure.file_name() : "?",
                 failure.line_number(), failure.message());
  }
  return failures.size() == 0 ? 0 : 1;
}

// Runs `body` where permission bits decide: directly for an ordinary user, and for root (who
// may write anywhere) in a child process that has become the unprivileged user "nobody".
inline void WithPermissionsEnforced(const std::function<void()>& body) {
  if (::geteuid() != 0) {
    body();
    return;
  }
  GTEST_FLAG_SET(death_test_style, "fast");
  EXPECT_EXIT(_exit(RunAsNobody(body)), ::testing::ExitedWithCode(0), "");
}

inline void Chmod(const std::string& path, mode_t mode) {
  ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

// Makes a file belong to the user WithPermissionsEnforced runs as.
inline void GiveToTestUser(const std::string& path) {
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0) << path;
  }
}

// Records what a draw or measure handler does; fonts are as the view prepares them: plain.
class RecordingCanvas : public form::Canvas {
 public:
  struct Text {
    int x, y;
    std::string text;
    unsigned style;
  };
  int line_height = 13;
  unsigned style = 0;
  std::vector<form::Rect> fills;
  std::vector<Text> texts;

  form::Color FontColor() const override { return color_; }
  void SetFontColor(form::Color color) override { color_ = color; }
  unsigned FontStyle() const override { return style; }
  void SetFontStyle(unsigned s) override { style = s; }
  void FillRect(const form::Rect& rect) override { fills.push_back(rect); }
  void TextOut(int x, int y, const std::string& text) override {
    texts.push_back({x, y, text, style});
  }
  // Bold text is taller here, so a test sees whether the style was set before measuring.
  int TextHeight(const std::string&) override {
    return line_height + ((style & form::fsBold) ? 2 : 0);
  }
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()) * 6; }

 private:
  form::Color color_;
};

}  // namespace zk::test
