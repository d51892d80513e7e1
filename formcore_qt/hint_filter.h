#pragma once
// Tooltips that stay on screen for the application's hint hide pause (zk::ide::HintHidePause).

class QApplication;

namespace zk::qt {

// Idempotent; the filter lives as long as the application.
void InstallHintFilter(QApplication& app);

}  // namespace zk::qt
