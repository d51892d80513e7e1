#pragma once
// form::Canvas over a QPainter, prepared by a list's delegate for one item.

#include <QColor>
#include <QFont>
#include <QPainter>

#include "formcore/canvas.h"

namespace zk::qt {

class QtCanvas : public form::Canvas {
 public:
  // The painter must outlive the canvas. `brush` fills, `font_color` and `font` write.
  QtCanvas(QPainter& painter, const QFont& font, const QColor& brush, const QColor& font_color);

  form::Color FontColor() const override;
  void SetFontColor(form::Color color) override;
  unsigned FontStyle() const override;
  void SetFontStyle(unsigned style) override;
  void FillRect(const form::Rect& rect) override;
  void TextOut(int x, int y, const std::string& text) override;
  int TextHeight(const std::string& text) override;
  int TextWidth(const std::string& text) override;

  const QFont& font() const { return font_; }

 private:
  QPainter& painter_;
  QFont font_;
  QColor brush_;
  QColor font_color_;
};

QColor ToQColor(form::Color color);
form::Color FromQColor(const QColor& color);

}  // namespace zk::qt
