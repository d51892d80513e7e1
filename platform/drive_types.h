#pragma once
// What kind of drive a letter of the Wine drive map is.

namespace zk {

enum class DriveType {
  NoRootDir,  // the letter is not mapped, or its link dangles
  Removable,  // a removable block device (USB stick, floppy)
  Remote,     // a network file system
  Other,      // fixed disks and everything else
};

DriveType GetDriveType(char letter);

}  // namespace zk
