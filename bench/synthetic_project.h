#pragma once
// Writes a large synthetic project for the backup benchmark: main units listed in the project
// file, library units spread over many search folders (on the project's options search path and
// on the IDE library path of a Wine-style prefix), file names in other letter cases than the
// uses clauses, compiled-only units, form files, stock units and missing units. Fixed seed: the
// same arguments always give the same files.

#include <cstdint>
#include <string>

namespace zk::bench {

struct ProjectShape {
  int main_units = 1000;      // N
  int library_units = 5000;   // L
  int search_folders = 40;    // K, half on the options file's path, half on the IDE's
  int uses_per_unit = 15;
  std::uint32_t seed = 20261211;
};

struct GeneratedProject {
  std::string root;         // everything lives below this folder
  std::string project;      // the .dpr (a Linux path)
  std::string wine_prefix;  // for WINEPREFIX
};

// Creates `root` (which must not exist or be empty) and fills it.
GeneratedProject WriteSyntheticProject(const std::string& root, const ProjectShape& shape);

}  // namespace zk::bench
