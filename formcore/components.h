#pragma once
// Toolkit-free components of a dialog: plain objects that hold what the dialog shows (captions,
// items, lines, enabled state). A view renders them and is told of every change through
// OnChange; the dialog cores and the command line work on them without any display.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zk::form {

class Control {
 public:
  Control(std::string name, bool windowed) : name_(std::move(name)), windowed_(windowed) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  // Windowed controls take the focus (buttons, lists, memo, panel); labels and images do not.
  bool windowed() const { return windowed_; }

  bool enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  const std::string& hint() const { return hint_; }
  void SetHint(std::string hint);

  // Called after any change of what the control shows; set by a view.
  std::function<void()> OnChange;

 protected:
  void Changed() const {
    if (OnChange) OnChange();
  }

 private:
  std::string name_;
  bool windowed_;
  bool enabled_ = true;
  std::string hint_;
};

class Label : public Control {
 public:
  explicit Label(std::string name, std::string caption = {})
      : Control(std::move(name), false), caption_(std::move(caption)) {}
  const std::string& caption() const { return caption_; }
  void SetCaption(std::string caption);

 private:
  std::string caption_;
};

class Button : public Control {
 public:
  explicit Button(std::string name, std::string caption = {})
      : Control(std::move(name), true), caption_(std::move(caption)) {}
  const std::string& caption() const { return caption_; }

 private:
  std::string caption_;
};

// A panel or an image: something enabled or disabled with the rest, holding nothing itself.
class Plain : public Control {
 public:
  Plain(std::string name, bool windowed) : Control(std::move(name), windowed) {}
};

// A list box. Sorted: kept in order ignoring ASCII case, duplicates allowed, an equal text goes
// after the ones already held.
class ListBox : public Control {
 public:
  ListBox(std::string name, bool sorted) : Control(std::move(name), true), sorted_(sorted) {}

  bool sorted() const { return sorted_; }
  const std::vector<std::string>& items() const { return items_; }
  int count() const { return static_cast<int>(items_.size()); }
  const std::string& item(int index) const { return items_[static_cast<size_t>(index)]; }

  // Returns the index where the text went.
  int Add(std::string text);
  // Unsorted lists only; index == count() appends.
  void Insert(int index, std::string text);
  void Delete(int index);
  void Clear();
  // Replaces all items (sorted lists sort them).
  void Assign(const std::vector<std::string>& items);

  // -1: nothing selected.
  int item_index() const { return item_index_; }
  void SetItemIndex(int index);

  // Horizontal scroll range in pixels (0: none).
  int horizontal_extent() const { return horizontal_extent_; }
  void SetHorizontalExtent(int pixels);

 private:
  bool sorted_;
  std::vector<std::string> items_;
  int item_index_ = -1;
  int horizontal_extent_ = 0;
};

// A read-only multi-line text. Besides OnChange, a view can follow it line by line so that a
// long log stays cheap to show.
class Memo : public Control {
 public:
  explicit Memo(std::string name) : Control(std::move(name), true) {}

  struct Observer {
    std::function<void(const std::string& line)> added;
    std::function<void()> cleared;
    std::function<void(int count)> removed_last;
    std::function<void(bool updating)> updating;  // BeginUpdate / EndUpdate
    std::function<void()> repaint;                // show the current state at once
  };
  Observer observer;

  const std::vector<std::string>& lines() const { return lines_; }
  int count() const { return static_cast<int>(lines_.size()); }
  const std::string& line(int index) const { return lines_[static_cast<size_t>(index)]; }

  void Add(std::string line);
  void Clear();
  void RemoveLast(int count);
  void BeginUpdate();
  void EndUpdate();
  bool updating() const { return update_count_ > 0; }
  void Repaint();

 private:
  std::vector<std::string> lines_;
  int update_count_ = 0;
};

class StatusBar : public Control {
 public:
  explicit StatusBar(std::string name) : Control(std::move(name), true) {}
  const std::string& simple_text() const { return simple_text_; }
  void SetSimpleText(std::string text);

 private:
  std::string simple_text_;
};

// A file-open dialog's settings and, after it ran, its answer. Not a control.
struct OpenDialog {
  enum Option : unsigned {
    ofOverwritePrompt = 1u << 0,
    ofHideReadOnly = 1u << 1,
    ofAllowMultiSelect = 1u << 2,
    ofPathMustExist = 1u << 3,
    ofFileMustExist = 1u << 4,
    ofCreatePrompt = 1u << 5,
  };
  std::string name;
  std::string default_ext;
  // "Description|pattern|Description|pattern" as the settings give it.
  std::string filter;
  int filter_index = 0;
  unsigned options = 0;
  std::string initial_dir;
  // In: the proposed name. Out: the chosen file (the first one with multiple selection).
  std::string file_name;
  // Out: every chosen file, in the order the dialog lists them.
  std::vector<std::string> files;
};

}  // namespace zk::form
