#include "platform/string_list.h"

#include <algorithm>

#include "platform/path_text.h"

namespace zk {
namespace {

bool LessText(const std::string& a, const std::string& b) { return CompareText(a, b) < 0; }

}  // namespace

void StringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  if (sorted_) {
    std::stable_sort(items_.begin(), items_.end(), LessText);
    index_.clear();
  } else {
    RebuildIndex();
  }
}

int StringList::Add(std::string text) {
  if (!sorted_) {
    const int at = Count();
    index_.try_emplace(UpperCase(text), at);
    items_.push_back(std::move(text));
    return at;
  }
  const int at = SortedPosition(text);
  if (at < Count() && SameText(items_[static_cast<size_t>(at)], text)) return at;
  items_.insert(items_.begin() + at, std::move(text));
  return at;
}

int StringList::IndexOf(std::string_view text) const {
  if (sorted_) {
    const int at = SortedPosition(text);
    return at < Count() && SameText(items_[static_cast<size_t>(at)], text) ? at : -1;
  }
  const auto it = index_.find(UpperCase(text));
  return it == index_.end() ? -1 : it->second;
}

void StringList::Clear() {
  items_.clear();
  index_.clear();
}

void StringList::Assign(const std::vector<std::string>& items) {
  items_ = items;
  if (sorted_) {
    // As if each item were added: a sorted list holds no text twice.
    std::stable_sort(items_.begin(), items_.end(), LessText);
    const auto last = std::unique(items_.begin(), items_.end(),
                                  [](const std::string& a, const std::string& b) { return SameText(a, b); });
    items_.erase(last, items_.end());
  } else {
    RebuildIndex();
  }
}

void StringList::RebuildIndex() {
  index_.clear();
  index_.reserve(items_.size());
  for (int i = 0; i < Count(); ++i) index_.try_emplace(UpperCase(items_[static_cast<size_t>(i)]), i);
}

// The first position whose item is not less than `text`, ignoring case.
int StringList::SortedPosition(std::string_view text) const {
  const auto it = std::lower_bound(
      items_.begin(), items_.end(), text,
      [](const std::string& item, std::string_view value) { return CompareText(item, value) < 0; });
  return static_cast<int>(it - items_.begin());
}

}  // namespace zk
