#include "platform/drive_types.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/platform/scoped_temp_dir.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::ScopedTempDir;

class GetDriveTypeTest : public ::testing::Test {
 protected:
  GetDriveTypeTest() : prefix_("WINEPREFIX", dir_.Join("prefix").c_str()) {
    dir_.MakeDirs("prefix/dosdevices");
    dir_.MakeDirs("prefix/drive_c");
    fs::create_directory_symlink("../drive_c", dir_.Join("prefix/dosdevices/c:"));
    fs::create_directory_symlink("../missing", dir_.Join("prefix/dosdevices/d:"));
  }
  ScopedTempDir dir_;
  ScopedEnv prefix_;
};

TEST_F(GetDriveTypeTest, UnmappedOrDanglingLetterHasNoRoot) {
  EXPECT_EQ(GetDriveType('Q'), DriveType::NoRootDir);
  EXPECT_EQ(GetDriveType('D'), DriveType::NoRootDir);
  EXPECT_EQ(GetDriveType('%'), DriveType::NoRootDir);
}

TEST_F(GetDriveTypeTest, LetterOnALocalFolderIsOther) {
  EXPECT_EQ(GetDriveType('C'), DriveType::Other);
  EXPECT_EQ(GetDriveType('c'), DriveType::Other);
}

TEST(GetDriveTypeNoPrefixTest, NoPrefixMeansNoDrives) {
  ScopedTempDir home;
  ScopedEnv prefix("WINEPREFIX", nullptr);
  ScopedEnv home_env("HOME", home.path().c_str());
  EXPECT_EQ(GetDriveType('C'), DriveType::NoRootDir);
}

// A mount table and a /sys/dev/block look-alike: sda is a fixed disk, sdb a USB stick (both with
// partitions), sdc a whole-disk removable medium.
class DriveTypeOfFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDisk("sda", "0", "8:0", "8:1");
    MakeDisk("sdb", "1", "8:16", "8:17");
    dir_.WriteFile("sys/devices/sdc/removable", "1\n");
    fs::create_directory_symlink("../../devices/sdc", dir_.Join("sys/dev/block/8:32"));
  }

  void MakeDisk(const std::string& disk, const std::string& removable, const std::string& whole,
                const std::string& partition) {
    dir_.WriteFile("sys/devices/" + disk + "/removable", removable + "\n");
    dir_.WriteFile("sys/devices/" + disk + "/" + disk + "1/partition", "1\n");
    dir_.MakeDirs("sys/dev/block");
    fs::create_directory_symlink("../../devices/" + disk, dir_.Join("sys/dev/block/" + whole));
    fs::create_directory_symlink("../../devices/" + disk + "/" + disk + "1",
                                 dir_.Join("sys/dev/block/" + partition));
  }

  DriveType TypeOf(std::string_view folder) const {
    static constexpr std::string_view kMountInfo =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "30 22 0:50 / /mnt/share rw,relatime shared:7 master:2 - cifs //srv/share rw\n"
        "31 22 8:17 / /media/usb\\040stick rw - vfat /dev/sdb1 rw\n"
        "32 30 0:51 / /mnt/share/local rw - tmpfs tmpfs rw\n"
        "33 22 8:32 / /media/floppy rw - vfat /dev/sdc rw\n"
        "40 22 8:1 /srv /mnt/over rw - ext4 /dev/sda1 rw\n"
        "41 40 0:61 / /mnt/over rw - nfs4 srv:/export rw\n"
        "42 22 0:62 / /net/ssh rw - fuse.sshfs u@h:/ rw\n"
        "malformed line\n"
        "43 22 0:63 / /broken rw\n";
    return DriveTypeOfFolder(folder, kMountInfo, dir_.Join("sys/dev/block"));
  }

  ScopedTempDir dir_;
};

TEST_F(DriveTypeOfFolderTest, LongestMountPointDecides) {
  EXPECT_EQ(TypeOf("/"), DriveType::Other);
  EXPECT_EQ(TypeOf("/home/u/.wine/drive_c"), DriveType::Other);
  EXPECT_EQ(TypeOf("/mnt/share"), DriveType::Remote);
  EXPECT_EQ(TypeOf("/mnt/share/projects"), DriveType::Remote);
  EXPECT_EQ(TypeOf("/mnt/sharex"), DriveType::Other);
  EXPECT_EQ(TypeOf("/mnt/share/local/x"), DriveType::Other);
  EXPECT_EQ(TypeOf("/net/ssh/src"), DriveType::Remote);
  EXPECT_EQ(TypeOf("/broken"), DriveType::Other);
}

TEST_F(DriveTypeOfFolderTest, LaterMountOnTheSamePointCoversTheEarlier) {
  EXPECT_EQ(TypeOf("/mnt/over/x"), DriveType::Remote);
}

TEST_F(DriveTypeOfFolderTest, RemovableFlagOfThePartitionsDiskOrTheDisk) {
  EXPECT_EQ(TypeOf("/media/usb stick/dir"), DriveType::Removable);
  EXPECT_EQ(TypeOf("/media/floppy"), DriveType::Removable);
}

TEST_F(DriveTypeOfFolderTest, EmptyMountTableIsOther) {
  EXPECT_EQ(DriveTypeOfFolder("/x", "", dir_.Join("sys/dev/block")), DriveType::Other);
}

}  // namespace
}  // namespace zk
