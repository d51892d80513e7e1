#include "projectbackup/pb_display.h"

#include <memory>

#include "formcore_qt/qt_prompts.h"
#include "projectbackup/pb_main.h"
#include "projectbackup/pb_view.h"

#ifndef ZK_DELPHI_VERSION
#error "ZK_DELPHI_VERSION names the host version a package is built for (3 or 4)"
#endif

namespace zk::pb {

namespace {

// Deferred release, whichever way the display ends.
class ReleaseLater {
 public:
  explicit ReleaseLater(QObject* object) : object_(object) {}
  ~ReleaseLater() { object_->deleteLater(); }
  ReleaseLater(const ReleaseLater&) = delete;
  ReleaseLater& operator=(const ReleaseLater&) = delete;

 private:
  QObject* object_;
};

}  // namespace

void DisplayProjectBackupDialog(const std::string& project) {
  auto prompts = std::make_unique<qt::QtPrompts>();
  qt::QtPrompts& dialog_prompts = *prompts;
  auto core = std::make_unique<TfrmProjectBackup>(dialog_prompts, ZK_DELPHI_VERSION);
  auto* view = new TfrmProjectBackupView(*core);
  view->Adopt(std::move(core), std::move(prompts));
  ReleaseLater release(view);
  // Message boxes belong to the dialog from here on.
  dialog_prompts.SetParent(view);
  view->core().SetSourceProject(project);
  view->exec();
}

}  // namespace zk::pb
