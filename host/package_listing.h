#pragma once
// The text of `zkide --list-experts` and of the installed-packages box.

#include <string>

namespace zk::host {

class PackageLoader;

// One line a package ("<file name>: <description>"), each followed by one line an expert it
// registered ("  <ID string>: <name> (style N, <kind>)").
std::string FormatPackageList(const PackageLoader& loader);

// "standard", "form", "project", "add-in", or "unknown".
const char* ExpertStyleName(int style);

}  // namespace zk::host
