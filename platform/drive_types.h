#pragma once
// What kind of drive a letter of the Wine drive map is.

#include <string>
#include <string_view>

namespace zk {

enum class DriveType {
  NoRootDir,  // the letter is not mapped, or its link dangles
  Removable,  // a removable block device (USB stick, floppy)
  Remote,     // a network file system
  Other,      // fixed disks and everything else
};

DriveType GetDriveType(char letter);

// The kind of drive that holds the Linux folder `folder` (absolute, without `..`), given a mount
// table in the format of /proc/self/mountinfo and the folder that stands for /sys/dev/block.
// GetDriveType passes the real ones; tests pass their own.
DriveType DriveTypeOfFolder(std::string_view folder, std::string_view mountinfo,
                            const std::string& sys_dev_block);

}  // namespace zk
