#include <gtest/gtest.h>

#include <vector>

#include "ide/application.h"
#include "ide/expt_intf.h"

namespace zk::ide {
namespace {

class Counted : public TInterface {
 public:
  explicit Counted(bool* deleted) : deleted_(deleted) {}
  ~Counted() override { *deleted_ = true; }

 private:
  bool* deleted_;
};

TEST(TInterfaceTest, FreeDeletesWhenTheLastReferenceGoes) {
  bool deleted = false;
  auto* object = new Counted(&deleted);
  EXPECT_EQ(object->AddRef(), 2);
  object->Free();
  EXPECT_FALSE(deleted);
  EXPECT_EQ(object->AddRef(), 2);
  EXPECT_EQ(object->Release(), 1);
  EXPECT_FALSE(deleted);
  object->Free();
  EXPECT_TRUE(deleted);
}

class NullExpert : public TIExpert {
 public:
  explicit NullExpert(bool* deleted) : deleted_(deleted) {}
  ~NullExpert() override { *deleted_ = true; }
  std::string GetName() override { return "Null"; }
  std::string GetAuthor() override { return ""; }
  std::string GetComment() override { return ""; }
  std::string GetPage() override { return ""; }
  HBITMAP GetGlyph() override { return 0; }
  int GetStyle() override { return esStandard; }
  int GetState() override { return esEnabled; }
  std::string GetIDString() override { return "Null.Expert"; }
  std::string GetMenuText() override { return ""; }
  void Execute() override {}

 private:
  bool* deleted_;
};

class RecordingRegistrar : public TExpertRegistrar {
 public:
  void RegisterExpert(TIExpert* expert) override { experts.push_back(expert); }
  std::vector<TIExpert*> experts;
};

TEST(RegisterLibraryExpertTest, WithoutAHostTheExpertIsFreed) {
  SetExpertRegistrar(nullptr);
  bool deleted = false;
  RegisterLibraryExpert(new NullExpert(&deleted));
  EXPECT_TRUE(deleted);
}

TEST(RegisterLibraryExpertTest, TheInstalledRegistrarTakesTheExpert) {
  RecordingRegistrar registrar;
  SetExpertRegistrar(&registrar);
  bool deleted = false;
  auto* expert = new NullExpert(&deleted);
  RegisterLibraryExpert(expert);
  SetExpertRegistrar(nullptr);
  ASSERT_EQ(registrar.experts.size(), 1u);
  EXPECT_EQ(registrar.experts[0], expert);
  EXPECT_FALSE(deleted);
  expert->Free();
  EXPECT_TRUE(deleted);
}

TEST(HintHidePauseTest, DefaultsAndKeepsWhatWasSet) {
  EXPECT_EQ(HintHidePause(), kDefaultHintHidePause);
  SetHintHidePause(5000);
  EXPECT_EQ(HintHidePause(), 5000);
  SetHintHidePause(kDefaultHintHidePause);
}

}  // namespace
}  // namespace zk::ide
