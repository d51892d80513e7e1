#pragma once
// HKEY_CURRENT_USER as Wine keeps it: the text file $WINEPREFIX/user.reg. Read, never written.

#include <string>
#include <string_view>

namespace zk {

// The string value `value_name` of key `key_path` below HKEY_CURRENT_USER (for example
// "Software\\Borland\\Delphi\\4.0\\Library"); empty text when there is no prefix, no file, no key,
// no such value or the value is not a string. Key paths and value names compare ignoring case.
std::string ReadUserRegistryString(std::string_view key_path, std::string_view value_name);

// The same, from a given user.reg text (for tests and fuzzing).
std::string ReadRegistryStringFromText(std::string_view reg_text, std::string_view key_path,
                                       std::string_view value_name);

}  // namespace zk
