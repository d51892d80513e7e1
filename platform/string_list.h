#pragma once
// A list of texts with the lookup rules the experts rely on: look-ups ignore ASCII case; a sorted
// list keeps its order ignoring case and ignores an Add of a text it already holds.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zk {

class StringList {
 public:
  bool sorted() const { return sorted_; }
  // Switching to sorted sorts the items (stable; duplicates already held stay).
  void SetSorted(bool sorted);

  // Unsorted: appends. Sorted: inserts in order, or does nothing when an equal text is held.
  // Returns the index of the text.
  int Add(std::string text);
  int IndexOf(std::string_view text) const;
  bool Contains(std::string_view text) const { return IndexOf(text) >= 0; }
  void Clear();
  // Replaces the items. A sorted list sorts them and keeps the first of equal texts, as Add would.
  void Assign(const std::vector<std::string>& items);

  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& operator[](int i) const { return items_[static_cast<size_t>(i)]; }
  const std::vector<std::string>& items() const { return items_; }

 private:
  void RebuildIndex();
  int SortedPosition(std::string_view text) const;

  std::vector<std::string> items_;
  bool sorted_ = false;
  // Unsorted lists only: upper-cased text -> index of its first occurrence, kept in step with
  // items_, so that look-ups in long lists stay fast.
  std::unordered_map<std::string, int> index_;
};

}  // namespace zk
