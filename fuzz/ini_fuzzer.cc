// INI files: any file content is read without fault; writing one key and reading the file back
// gives that key the value written (as a profile read returns it) and leaves every other key
// as it was; erasing a section removes it and nothing else.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <map>
#include <string>
#include <utility>

#include "fuzz/fuzz_support.h"
#include "platform/ini_file.h"
#include "platform/path_text.h"

namespace {

using zk::fuzz::Check;

// The names the backup settings use, in a few spellings, and a few others.
constexpr std::array<const char*, 6> kSections = {"Settings", "SETTINGS", "Excluded Units",
                                                  "Extra Files", "Directories", "x"};
constexpr std::array<const char*, 9> kKeys = {"SourceProject", "sourceproject", "TargetPath",
                                              "LastBackup", "Unit0", "Unit1", "File0",
                                              "SearchPath", "k"};

using Snapshot = std::map<std::pair<size_t, size_t>, std::string>;

Snapshot Take(const zk::IniFile& ini) {
  Snapshot values;
  for (size_t s = 0; s < kSections.size(); ++s) {
    for (size_t k = 0; k < kKeys.size(); ++k) {
      values[{s, k}] = ini.ReadString(kSections[s], kKeys[k], "<missing>");
    }
  }
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const size_t section = input.ConsumeIntegralInRange<size_t>(0, kSections.size() - 1);
  const size_t key = input.ConsumeIntegralInRange<size_t>(0, kKeys.size() - 1);
  const bool erase = input.ConsumeBool();
  const std::string value = input.ConsumeRandomLengthString(200);
  const std::string file_text = input.ConsumeRemainingBytesAsString();

  const std::string path = zk::fuzz::WorkDir() + "settings.ini";
  zk::fuzz::WriteBytes(path, file_text);

  zk::IniFile ini(path);
  Check(ini.load_error().empty(), "a readable file loads");
  const Snapshot before = Take(ini);
  if (erase) {
    ini.EraseSection(kSections[section]);
  } else {
    ini.WriteString(kSections[section], kKeys[key], value);
  }
  Check(static_cast<bool>(ini.UpdateFile()), "the file can be written");

  const zk::IniFile again(path);
  const Snapshot after = Take(again);
  for (const auto& [where, old_value] : before) {
    const bool same_section = zk::SameText(kSections[where.first], kSections[section]);
    const bool same_key = zk::SameText(kKeys[where.second], kKeys[key]);
    if (erase && same_section) {
      Check(after.at(where) == "<missing>", "an erased section reads as missing");
    } else if (!erase && same_section && same_key) {
      Check(after.at(where) == zk::fuzz::ProfileValueAsRead(value), "a written key reads back its value");
    } else {
      Check(after.at(where) == old_value, "other keys keep their values");
    }
  }
  // Nothing but the file itself is left in the folder: the temporary file was renamed.
  Check(zk::fuzz::FolderNames(zk::fuzz::WorkDir()).size() == 1, "no temporary file is left");
  return 0;
}
