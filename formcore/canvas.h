#pragma once
// What an owner-drawn list needs to draw one item: a brush, a font and text output.

#include <cstdint>
#include <string>

namespace zk::form {

struct Color {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};
constexpr Color kRed{255, 0, 0};
constexpr Color kAqua{0, 255, 255};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

enum FontStyle : unsigned { fsBold = 1u << 0, fsItalic = 1u << 1, fsUnderline = 1u << 2 };

enum OwnerDrawState : unsigned { odSelected = 1u << 0, odFocused = 1u << 1 };

// Prepared by the view for each item (list font and brush, highlight colours when selected).
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual Color FontColor() const = 0;
  virtual void SetFontColor(Color color) = 0;
  virtual unsigned FontStyle() const = 0;
  virtual void SetFontStyle(unsigned style) = 0;
  // Fills with the current brush.
  virtual void FillRect(const Rect& rect) = 0;
  // Text with its top-left corner at (x, y).
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual int TextHeight(const std::string& text) = 0;
  virtual int TextWidth(const std::string& text) = 0;
};

}  // namespace zk::form
