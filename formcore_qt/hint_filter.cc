#include "formcore_qt/hint_filter.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

#include "ide/application.h"

namespace zk::qt {
namespace {

class HintFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->toolTip().isEmpty()) return false;
    auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(),
                       zk::ide::HintHidePause());
    return true;
  }
};

}  // namespace

void InstallHintFilter(QApplication& app) {
  if (app.findChild<HintFilter*>(QStringLiteral("zkHintFilter"))) return;
  auto* filter = new HintFilter(&app);
  filter->setObjectName(QStringLiteral("zkHintFilter"));
  app.installEventFilter(filter);
}

}  // namespace zk::qt
