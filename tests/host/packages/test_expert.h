#pragma once
// An expert whose answers are given at construction and whose life is logged.

#include <string>

#include "ide/expt_intf.h"
#include "tests/host/packages/test_log.h"

namespace zk::test {

class TestExpert : public ide::TIExpert {
 public:
  TestExpert(std::string id, std::string menu_text, int style)
      : id_(std::move(id)), menu_text_(std::move(menu_text)), style_(style) {
    PackageLog(id_ + " created");
  }
  ~TestExpert() override { PackageLog(id_ + " destroyed"); }

  std::string GetName() override { return id_ + " name"; }
  std::string GetAuthor() override { return "Tester"; }
  std::string GetComment() override { return id_ + " comment"; }
  std::string GetPage() override { return ""; }
  ide::HBITMAP GetGlyph() override { return 0; }
  int GetStyle() override { return style_; }
  int GetState() override { return ide::esEnabled; }
  std::string GetIDString() override { return id_; }
  std::string GetMenuText() override { return menu_text_; }
  void Execute() override { PackageLog(id_ + " execute"); }

 protected:
  const std::string& id() const { return id_; }

 private:
  std::string id_;
  std::string menu_text_;
  int style_;
};

}  // namespace zk::test
