#include "formcore_qt/qt_canvas.h"

#include <QFontMetrics>

#include "formcore_qt/text_codec.h"

namespace zk::qt {

QColor ToQColor(form::Color color) { return QColor(color.r, color.g, color.b); }

form::Color FromQColor(const QColor& color) {
  return {static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
          static_cast<std::uint8_t>(color.blue())};
}

QtCanvas::QtCanvas(QPainter& painter, const QFont& font, const QColor& brush,
                   const QColor& font_color)
    : painter_(painter), font_(font), brush_(brush), font_color_(font_color) {}

form::Color QtCanvas::FontColor() const { return FromQColor(font_color_); }

void QtCanvas::SetFontColor(form::Color color) { font_color_ = ToQColor(color); }

unsigned QtCanvas::FontStyle() const {
  unsigned style = 0;
  if (font_.bold()) style |= form::fsBold;
  if (font_.italic()) style |= form::fsItalic;
  if (font_.underline()) style |= form::fsUnderline;
  return style;
}

void QtCanvas::SetFontStyle(unsigned style) {
  font_.setBold(style & form::fsBold);
  font_.setItalic(style & form::fsItalic);
  font_.setUnderline(style & form::fsUnderline);
}

void QtCanvas::FillRect(const form::Rect& rect) {
  painter_.fillRect(QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)),
                    brush_);
}

void QtCanvas::TextOut(int x, int y, const std::string& text) {
  painter_.save();
  painter_.setFont(font_);
  painter_.setPen(font_color_);
  QFontMetrics metrics(font_);
  painter_.drawText(QPoint(x, y + metrics.ascent()), ToQString(text));
  painter_.restore();
}

int QtCanvas::TextHeight(const std::string&) {
  // As the old canvas did: the font's line height, whatever the text.
  return QFontMetrics(font_).height();
}

int QtCanvas::TextWidth(const std::string& text) {
  return QFontMetrics(font_).horizontalAdvance(ToQString(text));
}

}  // namespace zk::qt
