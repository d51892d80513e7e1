#include "host/package_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zk::host {

namespace fs = std::filesystem;

std::string Package::file_name() const { return fs::path(path_).filename().string(); }

PackageLoader::PackageLoader(Hooks hooks) : hooks_(std::move(hooks)) {
  ide::SetExpertRegistrar(this);
}

PackageLoader::~PackageLoader() {
  UnloadAll();
  ide::SetExpertRegistrar(nullptr);
}

void PackageLoader::Report(const std::string& message) const {
  if (hooks_.report_error) hooks_.report_error(message);
}

int PackageLoader::LoadFolder(const std::string& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return 0;
  std::vector<std::string> files;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    if (path.extension() == ".so" && !it->is_directory(ec)) files.push_back(path.string());
  }
  if (ec) {
    Report("Cannot read the package folder " + folder + ": " + ec.message());
    return 0;
  }
  std::sort(files.begin(), files.end());
  int loaded = 0;
  for (const std::string& file : files) loaded += LoadPackage(file) ? 1 : 0;
  return loaded;
}

bool PackageLoader::LoadPackage(const std::string& path) {
  std::error_code ec;
  std::string full = fs::absolute(path, ec).lexically_normal().string();
  if (ec) full = path;
  void* handle = dlopen(full.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    Report("Cannot load package " + full + ": " + (why ? why : "unknown error"));
    return false;
  }
  // The same library under another name (a link, a second --packages folder): once is enough.
  for (const auto& package : packages_) {
    if (package->handle() == handle) {
      dlclose(handle);
      return false;
    }
  }
  auto register_proc = reinterpret_cast<ZkRegisterProc>(dlsym(handle, "Register"));
  if (register_proc == nullptr) {
    Report("Cannot load package " + full + ": it exports no Register procedure");
    dlclose(handle);
    return false;
  }
  packages_.push_back(std::make_unique<Package>(full, handle));
  Package* package = packages_.back().get();
  if (auto describe =
          reinterpret_cast<ZkPackageDescriptionProc>(dlsym(handle, "PackageDescription"))) {
    const char* text = describe();
    package->set_description(text ? text : "");
  }

  std::string failure;
  try {
    PackageScope scope(package);
    register_proc();
  } catch (const std::exception& e) {
    failure = e.what();
  } catch (...) {
    failure = "unknown exception";
  }
  // The exception object is gone by now, so closing the library that threw it is safe.
  if (!failure.empty()) {
    Report("Error registering package " + full + ": " + failure);
    Close(packages_.end() - 1);
    return false;
  }
  return true;
}

void PackageLoader::RegisterExpert(ide::TIExpert* expert) {
  experts_.push_back({expert, CurrentPackage()});
  if (hooks_.expert_added) hooks_.expert_added(experts_.back());
}

void PackageLoader::FreeExpert(size_t index) {
  RegisteredExpert entry = experts_[index];
  // Out of the list first, so nothing reaches the expert while it is going.
  experts_.erase(experts_.begin() + static_cast<std::ptrdiff_t>(index));
  if (hooks_.expert_removing) hooks_.expert_removing(entry);
  PackageScope scope(entry.package);
  entry.expert->Free();
}

void PackageLoader::FreeExperts(PackageTag package) {
  for (size_t i = experts_.size(); i-- > 0;)
    if (experts_[i].package == package) FreeExpert(i);
}

void PackageLoader::Close(std::vector<std::unique_ptr<Package>>::iterator it) {
  Package* package = it->get();
  FreeExperts(package);
  if (hooks_.package_closing) hooks_.package_closing(package);
  void* handle = package->handle();
  packages_.erase(it);
  dlclose(handle);
}

bool PackageLoader::UnloadPackage(const std::string& path) {
  std::error_code ec;
  std::string full = fs::absolute(path, ec).lexically_normal().string();
  auto it = std::find_if(packages_.begin(), packages_.end(), [&](const auto& package) {
    return package->path() == full || package->path() == path;
  });
  if (it == packages_.end()) return false;
  Close(it);
  return true;
}

void PackageLoader::UnloadAll() {
  // Experts first, all of them, newest first: an expert may still use another package's code
  // while it is freed.
  while (!experts_.empty()) FreeExpert(experts_.size() - 1);
  while (!packages_.empty()) Close(packages_.end() - 1);
}

std::vector<const Package*> PackageLoader::packages() const {
  std::vector<const Package*> result;
  for (const auto& package : packages_) result.push_back(package.get());
  return result;
}

std::vector<RegisteredExpert> PackageLoader::ExpertsOf(PackageTag package) const {
  std::vector<RegisteredExpert> result;
  for (const auto& entry : experts_)
    if (entry.package == package) result.push_back(entry);
  return result;
}

}  // namespace zk::host
