#pragma once
// Draws and measures the links list's items through the dialog core's owner-draw handlers, so
// the first entry stands out as the core decides.

#include <QStyledItemDelegate>

namespace zk::links {

class TLinkForm;

class LinkItemDelegate : public QStyledItemDelegate {
 public:
  LinkItemDelegate(TLinkForm& form, QObject* parent) : QStyledItemDelegate(parent), form_(form) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  TLinkForm& form_;
};

}  // namespace zk::links
