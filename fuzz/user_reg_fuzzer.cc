// user.reg: any text is read without fault, and a string value written with Wine's escapes is
// read back byte for byte, whatever bytes it holds.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/user_registry.h"

namespace {

// Escapes a text the way Wine writes names and string data.
std::string Escape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%04x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string key = input.ConsumeRandomLengthString(80);
  const std::string name = input.ConsumeRandomLengthString(40);
  const std::string text = input.ConsumeRemainingBytesAsString();

  // Arbitrary text, asked for an arbitrary key and for the keys the backup reads.
  (void)zk::ReadRegistryStringFromText(text, key, name);
  (void)zk::ReadRegistryStringFromText(text, "Software\\Borland\\Delphi\\4.0\\Library",
                                       "Search Path");
  (void)zk::ReadRegistryStringFromText(
      "WINE REGISTRY Version 2\n" + text,
      "Software\\Borland\\Package Collection Editor\\Installed Programs\\Delphi", "Path");

  // The same bytes as a value of a well-formed file. ("@" asks for the default value.)
  if (name == "@") return 0;
  const std::string value = text.substr(0, 300);
  const std::string reg = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1\n\n"
                          "#arch=win32\n\n[Software\\\\Zk\\\\Fuzz] 1700000000\n#time=1d\n"
                          "\"" + Escape(name) + "\"=\"" + Escape(value) + "\"\n";
  const std::string read = zk::ReadRegistryStringFromText(reg, "Software\\Zk\\Fuzz", name);
  zk::fuzz::Check(read == value, "an escaped string value reads back unchanged");
  return 0;
}
