// Failures of the disk during a backup and while the settings and link files are written: the
// earlier files keep their old content or get the new one (never a truncated one), the user is
// told what failed, and nothing hangs or crashes. Each run happens in a child process with a
// deadline, so a hang fails the test; where permission bits must stop root, the child gives the
// folder to "nobody" and becomes that user.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "links/LinkDialog.h"
#include "projectbackup/pb_main.h"
#include "links/link_file.h"
#include "platform/program_folder.h"
#include "tests/reliability/child_process.h"
#include "tests/reliability/demo_project.h"
#include "tests/support/scoped_temp_dir.h"

namespace zk::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using namespace std::chrono_literals;

constexpr auto kDeadline = 60s;

void ChangeMode(const std::string& path, mode_t mode) {
  ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

// The demo backup in a child that owns `root` without privileges, so that permission bits stop
// it even when the tests run as root.
ChildOutcome RunDemoBackupUnprivileged(const ScopedTempDir& root, const DemoProject& demo) {
  return RunInChild(
      [&] {
        if (!BecomeUnprivilegedOwnerOf(root.path().string())) return std::string("no nobody");
        RecordingPrompts prompts;
        return RunDemoBackup(demo, prompts);
      },
      kDeadline);
}

TEST(BackupFaults, ReadOnlyTargetKeepsTheEarlierBackupAndReportsWhatWasNotCopied) {
  ScopedTempDir root;
  DemoProject demo(root);
  WriteFile(demo.target + "Main.pas", "earlier backup of Main");
  ChangeMode(demo.target, 0555);

  if (!CanRunUnprivileged(root.path().string())) GTEST_SKIP() << "permission bits cannot be tried here";
  const ChildOutcome run = RunDemoBackupUnprivileged(root, demo);

  ASSERT_TRUE(run.finished) << "the backup hung";
  ASSERT_EQ(run.exit_code, 0) << run.report;
  EXPECT_THAT(run.report, HasSubstr("message: Backup completed but some file(s) could not be copied"));
  EXPECT_THAT(run.report, HasSubstr("outcome: BACKUP COMPLETED WITH ERRORS"));
  EXPECT_THAT(run.report, Not(HasSubstr("locked")));
  EXPECT_EQ(ReadFile(demo.target + "Main.pas"), "earlier backup of Main");
  EXPECT_THAT(NamesIn(demo.target), ElementsAre("Main.pas"));
  // The log names every file that was not copied.
  const std::string log = ReadFile(demo.log_file);
  EXPECT_THAT(log, HasSubstr("FILES NOT COPIED:\r\n" + demo.target + "Demo.dpr\r\n"));
  EXPECT_THAT(log, HasSubstr(demo.target + "Main.pas\r\n"));
}

// The file size limit makes every write beyond it fail as a full disk would (EFBIG instead of
// ENOSPC); it works without privileges and in any file system.
TEST(BackupFaults, FileSizeLimitMidCopyKeepsTheEarlierCopyWhole) {
  ScopedTempDir root;
  DemoProject demo(root);
  const std::string big_unit(1 << 20, 'n');
  root.Write("shared/Shared.pas", "unit Shared;\r\ninterface\r\nimplementation\r\n{" + big_unit + "}\r\nend.\r\n");
  const std::string earlier(5000, 'o');
  WriteFile(demo.target + "Shared.pas", earlier);

  const ChildOutcome run = RunInChild(
      [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{256 * 1024, 256 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        RecordingPrompts prompts;
        return RunDemoBackup(demo, prompts);
      },
      kDeadline);

  ASSERT_TRUE(run.finished) << "the backup hung";
  ASSERT_EQ(run.exit_code, 0) << run.report;
  EXPECT_THAT(run.report, HasSubstr("could not be copied and some file(s) were not found"));
  EXPECT_EQ(ReadFile(demo.target + "Shared.pas"), earlier);
  EXPECT_THAT(TemporaryFilesIn(demo.target), IsEmpty());
  // The small files went through.
  EXPECT_EQ(ReadFile(demo.target + "Main.pas"), ReadFile(demo.project_dir + "Main.pas"));
  EXPECT_THAT(ReadFile(demo.log_file), HasSubstr("FILES NOT COPIED:\r\n" + demo.target + "Shared.pas\r\n"));
}

// A real full file system: a small tmpfs holding the target and the log file. Needs the right to
// mount (root here); skipped elsewhere.
class TinyFileSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    mount_point_ = root_.dir() + "tiny";
    std::filesystem::create_directories(mount_point_);
    if (::mount("tmpfs", mount_point_.c_str(), "tmpfs", 0, "size=256k") != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) ::umount2(mount_point_.c_str(), MNT_DETACH);
  }
  // Fills the file system up to `leave` free bytes.
  void FillUp(const std::string& filler, size_t chunk) {
    std::FILE* file = std::fopen(filler.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::string block(chunk, 'f');
    while (std::fwrite(block.data(), 1, block.size(), file) == block.size() &&
           std::fflush(file) == 0) {
    }
    std::fclose(file);
  }

  ScopedTempDir root_;
  std::string mount_point_;
  bool mounted_ = false;
};

TEST_F(TinyFileSystem, FullTargetAndLogKeepTheirEarlierContentAndTheRunReportsTheError) {
  DemoProject demo(root_);
  const std::string target = mount_point_ + "/backup/";
  const std::string log = mount_point_ + "/Demo.log";
  WriteFile(target + "Main.pas", "earlier Main");
  WriteFile(log, "earlier log\r\n");
  WriteFile(demo.settings, "[Settings]\r\nSourceProject=" + demo.project + "\r\nTargetPath=" +
                               target + "\r\nLastBackup=yesterday\r\n");
  const std::string settings_before = ReadFile(demo.settings);
  FillUp(mount_point_ + "/filler", 4096);

  const ChildOutcome run = RunInChild(
      [&] {
        RecordingPrompts prompts;
        EnterDemoEnvironment(demo);
        pb::TfrmProjectBackup form(prompts, 4);
        form.SetSourceProject(demo.project);
        form.SetLogFile(log);
        form.SetTargetPath(target);
        form.btnBackupClick();
        return prompts.Report();
      },
      kDeadline);

  ASSERT_TRUE(run.finished) << "the backup hung";
  ASSERT_EQ(run.exit_code, 0) << run.report;
  // The log could not be written: the run ends with the error, which names the file and the cause.
  EXPECT_THAT(run.report, HasSubstr("exception: cannot write " + log));
  EXPECT_THAT(run.report, HasSubstr("No space left on device"));
  EXPECT_EQ(ReadFile(log), "earlier log\r\n");
  EXPECT_EQ(ReadFile(target + "Main.pas"), "earlier Main");
  EXPECT_THAT(TemporaryFilesIn(target), IsEmpty());
  EXPECT_THAT(TemporaryFilesIn(mount_point_), IsEmpty());
  // A run that ended with an error saves no settings.
  EXPECT_EQ(ReadFile(demo.settings), settings_before);
}

struct ReadOnlySettingsCase {
  const char* name;
  bool global_read_only;
  bool project_read_only;
};

class ReadOnlySettings : public ::testing::TestWithParam<ReadOnlySettingsCase> {};

TEST_P(ReadOnlySettings, KeepTheirContentAndTheErrorNamesTheFile) {
  const ReadOnlySettingsCase& c = GetParam();
  ScopedTempDir root;
  DemoProject demo(root);
  const std::string global = demo.ide_dir + "ProjectBackup.ini";
  // Names another project, so that the save has something to change.
  const std::string global_before = "[Settings]\r\nSourceProject=/earlier/Earlier.dpr\r\n";
  const std::string project_before = "[Settings]\r\nSourceProject=" + demo.project +
                                     "\r\nTargetPath=" + demo.target + "\r\nLastBackup=earlier\r\n";
  WriteFile(global, global_before);
  WriteFile(demo.settings, project_before);
  if (c.global_read_only) ChangeMode(global, 0444);
  if (c.project_read_only) ChangeMode(demo.settings, 0444);

  const ChildOutcome run = RunInChild(
      [&] {
        RecordingPrompts prompts;
        return RunDemoBackup(demo, prompts);
      },
      kDeadline);

  ASSERT_TRUE(run.finished) << "the backup hung";
  ASSERT_EQ(run.exit_code, 0) << run.report;
  EXPECT_THAT(run.report, Not(HasSubstr("locked")));
  if (c.global_read_only) {
    EXPECT_THAT(run.report, HasSubstr("cannot write " + global));
    EXPECT_EQ(ReadFile(global), global_before);
  }
  if (c.project_read_only) {
    EXPECT_THAT(run.report, HasSubstr("cannot write " + demo.settings));
    EXPECT_EQ(ReadFile(demo.settings), project_before);
  } else {
    EXPECT_THAT(ReadFile(demo.settings), HasSubstr("LastBackup=11.12.2026 10:00:00"));
  }
  EXPECT_THAT(run.report, HasSubstr("read-only"));
  // The copies were made before the settings were saved.
  EXPECT_EQ(ReadFile(demo.target + "Main.pas"), ReadFile(demo.project_dir + "Main.pas"));
  EXPECT_THAT(TemporaryFilesIn(demo.project_dir), IsEmpty());
  EXPECT_THAT(TemporaryFilesIn(demo.ide_dir), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, ReadOnlySettings,
                         ::testing::Values(ReadOnlySettingsCase{"Project", false, true},
                                           ReadOnlySettingsCase{"Global", true, false},
                                           ReadOnlySettingsCase{"Both", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BackupFaults, UnreadableMainUnitEndsTheRunWithAnErrorNamingTheFile) {
  ScopedTempDir root;
  DemoProject demo(root);
  WriteFile(demo.log_file, "earlier log\r\n");
  ChangeMode(demo.project_dir + "Main.pas", 0000);

  if (!CanRunUnprivileged(root.path().string())) GTEST_SKIP() << "permission bits cannot be tried here";
  const ChildOutcome run = RunDemoBackupUnprivileged(root, demo);

  ASSERT_TRUE(run.finished) << "the backup hung";
  ASSERT_EQ(run.exit_code, 0) << run.report;
  EXPECT_THAT(run.report, HasSubstr("exception: cannot read " + demo.project_dir + "Main.pas"));
  EXPECT_THAT(run.report, HasSubstr("Permission denied"));
  EXPECT_THAT(run.report, Not(HasSubstr("locked")));
  EXPECT_EQ(ReadFile(demo.log_file), "earlier log\r\n");
}

TEST(BackupFaults, UnreadableProjectFileIsReportedAsNotCopied) {
  ScopedTempDir root;
  DemoProject demo(root);
  ChangeMode(demo.project, 0000);

  if (!CanRunUnprivileged(root.path().string())) GTEST_SKIP() << "permission bits cannot be tried here";
  const ChildOutcome run = RunDemoBackupUnprivileged(root, demo);

  ASSERT_TRUE(run.finished) << "the backup hung";
  ASSERT_EQ(run.exit_code, 0) << run.report;
  EXPECT_THAT(run.report, HasSubstr("outcome: BACKUP COMPLETED WITH ERRORS"));
  EXPECT_THAT(run.report, HasSubstr("could not be copied"));
  EXPECT_THAT(ReadFile(demo.log_file), HasSubstr("FILES NOT COPIED:\r\n" + demo.target + "Demo.dpr\r\n"));
}

TEST(BackupFaults, UnreadableSettingsFileIsReportedAndNeverOverwritten) {
  ScopedTempDir root;
  DemoProject demo(root);
  const std::string before = "[Settings]\r\nSourceProject=" + demo.project + "\r\nTargetPath=" +
                             demo.target + "\r\n[Extra Files]\r\nFile0=/kept/extra.txt\r\n";
  WriteFile(demo.settings, before);
  ChangeMode(demo.settings, 0000);

  if (!CanRunUnprivileged(root.path().string())) GTEST_SKIP() << "permission bits cannot be tried here";
  const ChildOutcome run = RunDemoBackupUnprivileged(root, demo);

  ASSERT_TRUE(run.finished) << "the backup hung";
  ASSERT_EQ(run.exit_code, 0) << run.report;
  EXPECT_THAT(run.report, HasSubstr("message: The backup settings could not be read: cannot read " +
                                    demo.settings + ": Permission denied"));
  // The backup itself runs; the settings file that could not be read is not replaced.
  EXPECT_THAT(run.report, HasSubstr("outcome: BACKUP COMPLETED"));
  EXPECT_THAT(run.report, HasSubstr("exception: cannot read " + demo.settings));
  ChangeMode(demo.settings, 0600);
  EXPECT_EQ(ReadFile(demo.settings), before);
}

// ---- the link list file ----

class ReadOnlyLinkFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = root_.dir() + "ZkDelphiLinks.dat";
  }
  // Runs `work` on a dialog over the link file in a child; returns the prompts' report and the
  // entries the dialog ends with.
  ChildOutcome InDialog(const std::function<void(links::TLinkForm&, RecordingPrompts&)>& work) {
    return RunInChild(
        [&] {
          SetProgramFolder(root_.dir());
          links::InitLinkFileName();
          RecordingPrompts prompts;
          prompts.input_answers = {"http://new.example.com/", "New link"};
          std::string entries;
          {
            links::TLinkForm form(prompts);
            work(form, prompts);
            for (int i = 0; i < form.lbLinks.count(); ++i) {
              entries += "entry: " + form.lbLinks.item(i) + "|" + form.link_urls()[i] + "\n";
            }
          }
          return prompts.Report() + entries;
        },
        kDeadline);
  }

  ScopedTempDir root_;
  std::string path_;
};

TEST_F(ReadOnlyLinkFile, CorrectionOnLoadIsReportedAndTheFileKept) {
  const std::string before = "Mine|http://mine.example.com/\r\n";
  WriteFile(path_, before);
  ChangeMode(path_, 0444);
  const ChildOutcome run = InDialog([](links::TLinkForm&, RecordingPrompts&) {});
  ASSERT_TRUE(run.finished);
  EXPECT_THAT(run.report, HasSubstr("message: The link list could not be updated: cannot write " + path_));
  EXPECT_THAT(run.report, HasSubstr("entry: " + links::MakerEntryLine() + "\nentry: Mine|http://mine.example.com/\n"));
  EXPECT_EQ(ReadFile(path_), before);
}

TEST_F(ReadOnlyLinkFile, InsertionThatCannotBeSavedIsUndoneAndReported) {
  const std::string before = links::MakerEntryLine() + "\r\nMine|http://mine.example.com/\r\n";
  WriteFile(path_, before);
  ChangeMode(path_, 0444);
  const ChildOutcome run = InDialog([](links::TLinkForm& form, RecordingPrompts&) {
    form.lbLinks.SetItemIndex(1);
    std::uint16_t key = links::VK_INSERT;
    form.lbLinksKeyDown(key, 0);
  });
  ASSERT_TRUE(run.finished);
  EXPECT_THAT(run.report, HasSubstr("message: The new link could not be saved: cannot write " + path_));
  EXPECT_THAT(run.report, Not(HasSubstr("New link")));
  EXPECT_EQ(ReadFile(path_), before);
  EXPECT_THAT(TemporaryFilesIn(root_.dir()), IsEmpty());
}

TEST_F(ReadOnlyLinkFile, DeletionThatCannotBeSavedIsUndoneAndReported) {
  const std::string before = links::MakerEntryLine() + "\r\nMine|http://mine.example.com/\r\n";
  WriteFile(path_, before);
  ChangeMode(path_, 0444);
  const ChildOutcome run = InDialog([](links::TLinkForm& form, RecordingPrompts&) {
    form.lbLinks.SetItemIndex(1);
    std::uint16_t key = links::VK_DELETE;
    form.lbLinksKeyDown(key, 0);
  });
  ASSERT_TRUE(run.finished);
  EXPECT_THAT(run.report, HasSubstr("message: The link could not be deleted: cannot write " + path_));
  EXPECT_THAT(run.report, HasSubstr("entry: Mine|http://mine.example.com/"));
  EXPECT_EQ(ReadFile(path_), before);
}

TEST_F(ReadOnlyLinkFile, UnreadableFileIsReportedAndNeverReplacedByAnEdit) {
  const std::string before = "Mine|http://mine.example.com/\r\n";
  WriteFile(path_, before);
  ChangeMode(path_, 0000);
  if (!CanRunUnprivileged(root_.path().string())) GTEST_SKIP() << "permission bits cannot be tried here";
  const ChildOutcome run = RunInChild(
      [&] {
        if (!BecomeUnprivilegedOwnerOf(root_.path().string())) return std::string("no nobody");
        SetProgramFolder(root_.dir());
        links::InitLinkFileName();
        RecordingPrompts prompts;
        prompts.input_answers = {"http://new.example.com/", "New link"};
        links::TLinkForm form(prompts);
        std::uint16_t key = links::VK_INSERT;
        form.lbLinksKeyDown(key, 0);
        return prompts.Report();
      },
      kDeadline);
  ASSERT_TRUE(run.finished);
  EXPECT_THAT(run.report, HasSubstr("message: The link list could not be read: cannot read " + path_ +
                                    ": Permission denied"));
  ChangeMode(path_, 0600);
  EXPECT_EQ(ReadFile(path_), before);
}

TEST_F(ReadOnlyLinkFile, MissingFileInAReadOnlyFolderGivesTheBuiltInListAndAMessage) {
  ChangeMode(root_.dir(), 0555);
  if (!CanRunUnprivileged(root_.path().string())) GTEST_SKIP() << "permission bits cannot be tried here";
  const ChildOutcome run = RunInChild(
      [&] {
        if (!BecomeUnprivilegedOwnerOf(root_.path().string())) return std::string("no nobody");
        SetProgramFolder(root_.dir());
        links::InitLinkFileName();
        RecordingPrompts prompts;
        links::TLinkForm form(prompts);
        return prompts.Report() + "entries: " + std::to_string(form.lbLinks.count()) + "\n";
      },
      kDeadline);
  ASSERT_TRUE(run.finished);
  EXPECT_THAT(run.report, HasSubstr("message: The link list could not be created: cannot write " + path_));
  EXPECT_THAT(run.report, HasSubstr("entries: " + std::to_string(links::DefaultLinkLines().size())));
  EXPECT_FALSE(std::filesystem::exists(path_));
}

}  // namespace
}  // namespace zk::test
