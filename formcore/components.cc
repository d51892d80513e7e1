#include "formcore/components.h"

#include <algorithm>

#include "platform/path_text.h"

namespace zk::form {

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed();
}

void Control::SetHint(std::string hint) {
  hint_ = std::move(hint);
  Changed();
}

void Label::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  Changed();
}

int ListBox::Add(std::string text) {
  size_t at = items_.size();
  if (sorted_) {
    // After every item that is not greater: an equal text joins the ones already held.
    auto it = std::upper_bound(items_.begin(), items_.end(), text,
                               [](const std::string& a, const std::string& b) {
                                 return CompareText(a, b) < 0;
                               });
    at = static_cast<size_t>(it - items_.begin());
  }
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(text));
  if (item_index_ >= static_cast<int>(at)) ++item_index_;
  Changed();
  return static_cast<int>(at);
}

void ListBox::Insert(int index, std::string text) {
  index = std::clamp(index, 0, count());
  items_.insert(items_.begin() + index, std::move(text));
  if (item_index_ >= index) ++item_index_;
  Changed();
}

void ListBox::Delete(int index) {
  if (index < 0 || index >= count()) return;
  items_.erase(items_.begin() + index);
  // As a list box does: deleting the selected item leaves nothing selected.
  if (item_index_ == index)
    item_index_ = -1;
  else if (item_index_ > index)
    --item_index_;
  Changed();
}

void ListBox::Clear() {
  items_.clear();
  item_index_ = -1;
  Changed();
}

void ListBox::Assign(const std::vector<std::string>& items) {
  items_ = items;
  if (sorted_)
    std::stable_sort(items_.begin(), items_.end(), [](const std::string& a, const std::string& b) {
      return CompareText(a, b) < 0;
    });
  item_index_ = -1;
  Changed();
}

void ListBox::SetItemIndex(int index) {
  if (index < -1 || index >= count()) index = -1;
  if (item_index_ == index) return;
  item_index_ = index;
  Changed();
}

void ListBox::SetHorizontalExtent(int pixels) {
  horizontal_extent_ = pixels;
  Changed();
}

void Memo::Add(std::string line) {
  lines_.push_back(std::move(line));
  if (observer.added) observer.added(lines_.back());
}

void Memo::Clear() {
  lines_.clear();
  if (observer.cleared) observer.cleared();
}

void Memo::RemoveLast(int count) {
  count = std::clamp(count, 0, this->count());
  lines_.resize(lines_.size() - static_cast<size_t>(count));
  if (observer.removed_last) observer.removed_last(count);
}

void Memo::BeginUpdate() {
  if (update_count_++ == 0 && observer.updating) observer.updating(true);
}

void Memo::EndUpdate() {
  if (update_count_ == 0) return;
  if (--update_count_ == 0 && observer.updating) observer.updating(false);
}

void Memo::Repaint() {
  if (observer.repaint) observer.repaint();
}

void StatusBar::SetSimpleText(std::string text) {
  simple_text_ = std::move(text);
  Changed();
}

}  // namespace zk::form
