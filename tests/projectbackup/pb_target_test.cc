#include <map>

#include "platform/path_text.h"
#include "tests/projectbackup/pb_fixture.h"

namespace zk::pb::test {
namespace {

using form::ModalResult;
using form::MsgDlgType;

constexpr unsigned kFolderOptions = form::sdAllowCreate | form::sdPrompt;
constexpr const char* kRefusal = "Target directory must be different than source directory!";

TEST(DefaultTargetDriveScan, TakesTheFirstRemovableOrRemoteDrive) {
  using T = DriveType;
  struct Case {
    std::map<char, T> drives;  // unlisted letters are not mapped
    char expected;
  };
  const std::vector<Case> cases = {
      {{{'C', T::Other}, {'E', T::Removable}}, 'E'},
      {{{'C', T::Other}, {'D', T::Remote}, {'E', T::Removable}}, 'D'},
      {{{'A', T::Removable}, {'B', T::Remote}}, 'A'},
      {{{'Z', T::Remote}}, 'Z'},
      {{{'C', T::Other}, {'D', T::Other}, {'Z', T::Other}}, 'Z' + 1},
      {{}, 'Z' + 1},
  };
  for (const Case& c : cases) {
    std::string asked;
    const char found = ScanDefaultTargetDrive([&](char letter) {
      asked += letter;
      const auto it = c.drives.find(letter);
      return it == c.drives.end() ? T::NoRootDir : it->second;
    });
    EXPECT_EQ(found, c.expected);
    // Letters are asked in order from A, and none after the one found.
    const char last = found > 'Z' ? 'Z' : found;
    std::string expected_asked;
    for (char l = 'A'; l <= last; ++l) expected_asked += l;
    EXPECT_EQ(asked, expected_asked);
  }
}

class TargetChoiceTest : public BackupDialogTest {
 protected:
  // Maps drive D: of the test prefix to a fresh folder, as a stick would be.
  std::string MapDriveD() {
    std::filesystem::create_directories(temp.path() / "stick");
    std::filesystem::create_directory_symlink(temp.path() / "stick",
                                              temp.path() / "wine/dosdevices/d:");
    return temp / "stick";
  }
};

TEST_F(TargetChoiceTest, ChosenFolderGetsExactlyOneTrailingSeparator) {
  const std::string project = Project("Demo", "Demo");
  const std::string folder = ExtractFilePath(project);
  struct Case {
    std::string chosen, stored;
  };
  for (const Case& c : std::vector<Case>{{folder + "backup", folder + "backup/"},
                                         {folder + "backup/", folder + "backup/"},
                                         {"/srv/Backups/Demo", "/srv/Backups/Demo/"},
                                         {"E:\\Backups\\Demo", "E:\\Backups\\Demo\\"}}) {
    auto form = Open();
    form->SetSourceProject(project);
    prompts.directory_answers.push_back(c.chosen);
    form->btnTargetClick();
    EXPECT_EQ(form->TargetPath(), c.stored) << c.chosen;
    EXPECT_EQ(form->lblTargetPath.caption(), c.stored) << c.chosen;
    EXPECT_TRUE(form->btnBackup.enabled()) << c.chosen;
  }
  EXPECT_TRUE(prompts.messages.empty());
  for (const auto& [start, options] : prompts.directory_requests) {
    EXPECT_EQ(start, kNoTarget);  // the placeholder is passed on as it is
    EXPECT_EQ(options, kFolderOptions);
  }
}

TEST_F(TargetChoiceTest, ProjectFolderItselfIsRefusedInAnyLetterCase) {
  const std::string project = Project("Demo", "Demo");
  const std::string folder = ExtractFilePath(project);
  Write(DriveC() + "Work/Demo/Demo.dpr", "program Demo;\r\n");
  const std::string windows_project = "C:\\Work\\Demo\\Demo.dpr";
  struct Case {
    std::string project, chosen;
  };
  for (const Case& c : std::vector<Case>{
           {project, folder},
           {project, folder.substr(0, folder.size() - 1)},
           {project, UpperCase(folder)},
           {project, LowerCase(folder)},
           {windows_project, "C:\\Work\\Demo"},
           {windows_project, "c:\\WORK\\demo\\"},
           // The folder dialog answers with the Linux path of the same folder.
           {windows_project, DriveC() + "Work/Demo"},
           {windows_project, DriveC() + "work/DEMO/"},
       }) {
    prompts.messages.clear();
    auto form = Open();
    form->SetSourceProject(c.project);
    form->SetTargetPath("/srv/earlier/");
    form->EnableBackupButton();
    prompts.directory_answers.push_back(c.chosen);
    prompts.message_answers.push_back(ModalResult::OK);
    form->btnTargetClick();
    ASSERT_EQ(prompts.messages.size(), 1u) << c.chosen;
    EXPECT_EQ(prompts.messages[0].text, kRefusal);
    EXPECT_EQ(prompts.messages[0].type, MsgDlgType::Error);
    EXPECT_EQ(prompts.messages[0].buttons, form::mbOK);
    EXPECT_EQ(form->TargetPath(), "/srv/earlier/") << c.chosen;
    EXPECT_EQ(form->lblTargetPath.caption(), "/srv/earlier/") << c.chosen;
  }
}

TEST_F(TargetChoiceTest, CancelledFolderChoiceChangesNothing) {
  const std::string project = Project("Demo", "Demo");
  auto form = Open();
  form->SetSourceProject(project);
  prompts.directory_answers.push_back(std::nullopt);
  form->btnTargetClick();
  EXPECT_EQ(form->TargetPath(), kNoTarget);
  EXPECT_FALSE(form->btnBackup.enabled());
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(TargetChoiceTest, StartsAtTheCurrentDestination) {
  const std::string project = Project("Demo", "Demo");
  auto form = Open();
  form->SetSourceProject(project);
  prompts.directory_answers.push_back("/srv/first");
  prompts.directory_answers.push_back(std::nullopt);
  form->btnTargetClick();
  form->btnTargetClick();
  ASSERT_EQ(prompts.directory_requests.size(), 2u);
  EXPECT_EQ(prompts.directory_requests[1].first, "/srv/first/");
}

TEST_F(TargetChoiceTest, WritableDriveIsProbedAndOfferedAsStart) {
  const std::string stick = MapDriveD();
  auto form = Open();
  ASSERT_EQ(form->TargetPath(), "");  // no project yet: no destination text at all
  form->DefaultTargetDrive = 'D';
  prompts.directory_answers.push_back(std::nullopt);
  form->btnTargetClick();
  ASSERT_EQ(prompts.directory_requests.size(), 1u);
  EXPECT_EQ(prompts.directory_requests[0].first, "D:\\");
  EXPECT_EQ(prompts.directory_requests[0].second, kFolderOptions);
  EXPECT_TRUE(std::filesystem::is_empty(stick));  // the probe folder is gone again
}

TEST_F(TargetChoiceTest, ExistingProbeFolderIsLeftAloneAndTheHostDriveOffered) {
  const std::string stick = MapDriveD();
  Write(stick + "/QuorvinTest/keep.txt", "mine");
  auto form = Open();
  form->DefaultTargetDrive = 'D';
  prompts.directory_answers.push_back(std::nullopt);
  form->btnTargetClick();
  ASSERT_EQ(prompts.directory_requests.size(), 1u);
  EXPECT_EQ(prompts.directory_requests[0].first, "/");  // the host lives outside any drive
  EXPECT_EQ(Read(stick + "/QuorvinTest/keep.txt"), "mine");
}

TEST_F(TargetChoiceTest, NoUsableDriveStartsAtTheHostProgramsDrive) {
  std::filesystem::create_directories(DriveC() + "IDE/Bin");
  SetProgramFolder("C:\\IDE\\Bin\\");
  auto form = Open();  // only C:, a fixed disk, is mapped
  prompts.directory_answers.push_back(std::nullopt);
  form->btnTargetClick();
  ASSERT_EQ(prompts.directory_requests.size(), 1u);
  EXPECT_EQ(prompts.directory_requests[0].first, "C:\\");
}

TEST_F(TargetChoiceTest, UnmappedDriveFailsTheProbe) {
  auto form = Open();
  form->DefaultTargetDrive = 'A';
  prompts.directory_answers.push_back(std::nullopt);
  form->btnTargetClick();
  ASSERT_EQ(prompts.directory_requests.size(), 1u);
  EXPECT_EQ(prompts.directory_requests[0].first, "/");
}

}  // namespace
}  // namespace zk::pb::test
