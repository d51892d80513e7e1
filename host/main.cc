// zkide: the substitute IDE host. Options are read here; the window does the rest.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "formcore_qt/hint_filter.h"
#include "host/main_window.h"
#include "host/package_listing.h"
#include "platform/program_folder.h"

namespace {

bool HasOption(int argc, char** argv, const char* option) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], option) == 0) return true;
  return false;
}

std::string FullPath(const QString& path) {
  return QDir::cleanPath(QDir::current().absoluteFilePath(path)).toStdString();
}

}  // namespace

int main(int argc, char** argv) {
  const bool list_only = HasOption(argc, argv, "--list-experts");
  const bool no_window = list_only || HasOption(argc, argv, "--help") ||
                         HasOption(argc, argv, "-h") || HasOption(argc, argv, "--help-all") ||
                         HasOption(argc, argv, "--version") || HasOption(argc, argv, "-v");
  // These show no window, so they must work without a display.
  if (no_window && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  QApplication app(argc, argv);
  QApplication::setApplicationName("zkide");
  QApplication::setApplicationVersion(ZK_VERSION);

  QCommandLineParser parser;
  parser.setApplicationDescription("A small IDE host that loads design-time expert packages.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument("project", "The project file (.dpr) to open.", "[PROJECT.dpr]");
  QCommandLineOption list_option("list-experts",
                                 "Load the packages, list them and their experts, and exit.");
  QCommandLineOption packages_option("packages", "Also load the packages in DIR (repeatable).",
                                     "DIR");
  QCommandLineOption no_default_option("no-default-packages",
                                       "Do not load the packages installed beside zkide.");
  QCommandLineOption ide_dir_option(
      "ide-dir", "The program folder holding the global settings and the link list.", "DIR");
  parser.addOptions({list_option, packages_option, no_default_option, ide_dir_option});
  parser.process(app);

  const QStringList positional = parser.positionalArguments();
  if (positional.size() > 1) {
    std::fprintf(stderr, "zkide: only one project can be opened\n");
    return 2;
  }
  // Paths are made full before a project changes the current folder.
  if (parser.isSet(ide_dir_option))
    zk::SetProgramFolder(FullPath(parser.value(ide_dir_option)) + "/");
  std::vector<std::string> folders;
  if (!parser.isSet(no_default_option)) {
    // The build tree keeps packages in lib/; an install may use a multiarch library folder.
    for (const char* relative : {"/../lib/zkide/packages", "/../" ZK_INSTALL_PACKAGE_DIR}) {
      std::string folder = FullPath(QApplication::applicationDirPath() + relative);
      if (folders.empty() || folders.back() != folder) folders.push_back(folder);
    }
  }
  // Folders the user named must exist; the installed one may well be missing.
  std::vector<std::string> named_folders;
  for (const QString& folder : parser.values(packages_option))
    named_folders.push_back(FullPath(folder));
  const std::string project = positional.isEmpty() ? std::string() : FullPath(positional.first());

  zk::qt::InstallHintFilter(app);

  zk::host::MainWindow::ErrorReporter report;
  if (list_only)
    report = [](const std::string& message) { std::fprintf(stderr, "zkide: %s\n", message.c_str()); };
  zk::host::MainWindow window(report);
  for (const std::string& folder : folders) window.loader().LoadFolder(folder);
  for (const std::string& folder : named_folders) {
    if (QFileInfo(QString::fromStdString(folder)).isDir())
      window.loader().LoadFolder(folder);
    else
      window.ReportError("Cannot load the packages in " + folder + ": no such folder");
  }
  if (!project.empty()) window.OpenProject(project);

  if (list_only) {
    std::fputs(zk::host::FormatPackageList(window.loader()).c_str(), stdout);
    std::fflush(stdout);
    return 0;
  }
  window.show();
  return QApplication::exec();
}
