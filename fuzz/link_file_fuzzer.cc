// The link list file: any content loads without fault; a non-empty list starts with the maker's
// entry; saving and loading again gives the same list; a deletion reaches the file.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "links/LinkDialog.h"
#include "links/link_file.h"
#include "platform/program_folder.h"

namespace {

using zk::fuzz::Check;

struct Entries {
  std::vector<std::string> descriptions;
  std::vector<std::string> urls;
  bool operator==(const Entries&) const = default;
};

Entries Of(const zk::links::TLinkForm& form) {
  return {form.lbLinks.items(), form.link_urls()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zk::SetProgramFolder(zk::fuzz::WorkDir());
  zk::links::InitLinkFileName();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int selected = input.ConsumeIntegralInRange<int>(-1, 20);
  const std::string text = input.ConsumeRemainingBytesAsString();
  const std::string& path = zk::links::LinkFileName();
  zk::fuzz::WriteBytes(path, text);

  zk::fuzz::FuzzPrompts prompts;
  Entries loaded;
  {
    zk::links::TLinkForm form(prompts);
    loaded = Of(form);
    Check(loaded.descriptions.size() == loaded.urls.size(), "the two lists stay parallel");
    Check(prompts.messages.empty(), "a readable, writable file loads without complaint");
    if (!text.empty()) {
      Check(!loaded.urls.empty(), "a file with a line gives an entry");
      Check(zk::links::JoinLinkLine(loaded.descriptions[0], loaded.urls[0]) ==
                zk::links::MakerEntryLine(),
            "the maker's entry comes first");
      const std::string file = zk::fuzz::ReadBytes(path);
      const std::string& maker = zk::links::MakerEntryLine();
      Check(file.starts_with(maker) &&
                (file.size() == maker.size() || file[maker.size()] == '\r' ||
                 file[maker.size()] == '\n'),
            "the file starts with the maker's entry");
    }
    Check(static_cast<bool>(form.SaveLinkFile()), "the list can be saved");
  }
  {
    zk::links::TLinkForm form(prompts);
    Check(Of(form) == loaded, "saving and loading again gives the same list");
    form.lbLinks.SetItemIndex(selected);
    std::uint16_t key = zk::links::VK_DELETE;
    form.lbLinksKeyDown(key, 0);
    loaded = Of(form);
  }
  zk::links::TLinkForm form(prompts);
  Check(Of(form) == loaded, "a deletion reaches the file");
  Check(zk::fuzz::FolderNames(zk::fuzz::WorkDir()).size() == 1, "no temporary file is left");
  return 0;
}
