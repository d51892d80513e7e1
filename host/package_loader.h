#pragma once
// Loads packages (shared libraries exporting Register), owns the experts they register and
// unloads them in a defined order: experts are freed in reverse order of registration, then the
// libraries are closed in reverse order of loading. No user interface: what goes wrong is handed
// to the report_error hook.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/package_scope.h"
#include "ide/expt_intf.h"

namespace zk::host {

class Package {
 public:
  Package(std::string path, void* handle) : path_(std::move(path)), handle_(handle) {}
  const std::string& path() const { return path_; }
  // The file name without its folder.
  std::string file_name() const;
  const std::string& description() const { return description_; }
  void set_description(std::string text) { description_ = std::move(text); }
  void* handle() const { return handle_; }

 private:
  std::string path_;
  void* handle_;
  std::string description_;
};

struct RegisteredExpert {
  ide::TIExpert* expert;
  // Null for an expert registered outside any package's code.
  PackageTag package;
};

class PackageLoader : public ide::TExpertRegistrar {
 public:
  struct Hooks {
    std::function<void(const std::string& message)> report_error;
    // After the host has taken the expert over.
    std::function<void(const RegisteredExpert&)> expert_added;
    // Just before the host frees the expert.
    std::function<void(const RegisteredExpert&)> expert_removing;
    // After the package's experts are freed, before its library is closed.
    std::function<void(PackageTag)> package_closing;
  };

  // Installs itself as the expert registrar for as long as it lives.
  explicit PackageLoader(Hooks hooks);
  ~PackageLoader() override;
  PackageLoader(const PackageLoader&) = delete;
  PackageLoader& operator=(const PackageLoader&) = delete;

  // Every file ending in ".so" in the folder, in byte order of the names. A missing folder is
  // not an error (there may be nothing installed). Returns how many packages were loaded.
  int LoadFolder(const std::string& folder);
  // Opens the library and calls its Register. A package whose Register raises is reported and
  // unloaded again with whatever it registered. A library already loaded is skipped.
  bool LoadPackage(const std::string& path);
  // Frees the package's experts and closes its library. False when no such package is loaded.
  bool UnloadPackage(const std::string& path);
  void UnloadAll();

  void RegisterExpert(ide::TIExpert* expert) override;

  std::vector<const Package*> packages() const;
  const std::vector<RegisteredExpert>& experts() const { return experts_; }
  std::vector<RegisteredExpert> ExpertsOf(PackageTag package) const;

 private:
  void Report(const std::string& message) const;
  void FreeExpert(size_t index);
  void FreeExperts(PackageTag package);
  void Close(std::vector<std::unique_ptr<Package>>::iterator it);

  Hooks hooks_;
  std::vector<std::unique_ptr<Package>> packages_;
  std::vector<RegisteredExpert> experts_;
};

}  // namespace zk::host
