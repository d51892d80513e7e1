// Renders the links dialog, as it looks after the user clicked its third entry, to a PNG file:
//   links_dialog_render OUT.png
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <QApplication>
#include <QListWidget>
#include <QPixmap>
#include <cstdio>

#include "formcore_qt/qt_prompts.h"
#include "links/LinkDialog.h"
#include "links/link_file.h"
#include "links/link_view.h"
#include "platform/program_folder.h"
#include "tests/support/scoped_temp_dir.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  // A fresh program folder, so the dialog shows the built-in list.
  zk::test::ScopedTempDir folder;
  zk::SetProgramFolder(folder.dir());
  zk::links::InitLinkFileName();

  zk::qt::QtPrompts prompts;
  zk::links::TLinkForm form(prompts);
  zk::links::LinkView view(form);
  view.show();
  view.findChild<QListWidget*>(QStringLiteral("lbLinks"))->setCurrentRow(2);
  app.processEvents();
  if (!view.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
