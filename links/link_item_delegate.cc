#include "links/link_item_delegate.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "formcore_qt/qt_canvas.h"
#include "links/LinkDialog.h"

namespace zk::links {

void LinkItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  if (index.row() >= form_.lbLinks.count()) return;
  QStyleOptionViewItem opt(option);
  initStyleOption(&opt, index);
  const bool selected = opt.state & QStyle::State_Selected;
  const QPalette::ColorGroup group =
      (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
  // As a list box prepares an owner-drawn item: the list's font, highlight colours when selected.
  QColor brush = opt.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
  QColor text = opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
  qt::QtCanvas canvas(*painter, opt.font, brush, text);
  unsigned state = 0;
  if (selected) state |= form::odSelected;
  if (opt.state & QStyle::State_HasFocus) state |= form::odFocused;
  const QRect& r = opt.rect;
  form_.lbLinksDrawItem(canvas, index.row(), form::Rect{r.left(), r.top(), r.right() + 1,
                                                        r.bottom() + 1}, state);
  if (state & form::odFocused) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(opt);
    focus.backgroundColor = brush;
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, opt.widget);
  }
}

QSize LinkItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  if (index.row() >= form_.lbLinks.count()) return {};
  // The canvas wants a painter; measuring only reads its font.
  QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&scratch);
  qt::QtCanvas canvas(painter, option.font, QColor(), QColor());
  int height = 0;
  form_.lbLinksMeasureItem(canvas, index.row(), height);
  // Items span the list; a long description is cut at its right edge, not scrolled to.
  return QSize(0, height);
}

}  // namespace zk::links
