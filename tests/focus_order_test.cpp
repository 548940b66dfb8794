// The keyboard's walk through the main window: the tab order of each parent, containers'
// controls after them, and what the Tab key passes over (hidden, disabled, folded away).
#include <string>
#include <vector>

#include "TamiroFixture.h"

namespace {

// The names Tab visits from the control, until it comes back to it.
std::vector<std::string> Walk(const TForm& form, const TControl* from, bool forward = true) {
  std::vector<std::string> names;
  const TControl* at = from;
  for (int guard = 0; guard < 200; ++guard) {
    at = form.FindNextControl(at, forward);
    if (!at || at == from) break;
    names.push_back(at->Name());
  }
  return names;
}

}  // namespace

class FocusOrderTest : public TamiroTest {};

TEST_F(FocusOrderTest, TabWalksTheWindowInLayoutOrderFoldedAndUnfolded) {
  StartAt("2026-03-02 08:00:00");
  // Folded: only the record list, its buttons and the row under it are in view.
  EXPECT_EQ(Walk(F(), F().Btn_Sz), (std::vector<std::string>{"Btn_del", "Btn_Clear", "Chk_Zd", "Btn_Start",
                                                             "Btn_List_Save", "Btn_List_Open", "List_Tamiro",
                                                             "Chk_Qx"}));
  F().Btn_Sz->UserClick();
  ASSERT_EQ(F().Height(), 443);
  const std::vector<std::string> unfolded{"Btn_Add",       "Btn_Cancel",    "Btn_del",       "Btn_Clear",
                                          "Chk_Zd",        "Btn_ExeUpdate", "xz",            "sRadioButton2",
                                          "sRadioButton1", "sRadioButton3", "sRadioButton4", "DateTime_Date",
                                          "DateTime_Time", "Btn_Start",     "Btn_List_Save", "Btn_List_Open",
                                          "List_Tamiro",   "Chk_Qx"};
  EXPECT_EQ(Walk(F(), F().Btn_Sz), unfolded);
  // Shift+Tab walks the same ring backwards.
  std::vector<std::string> backwards(unfolded.rbegin(), unfolded.rend());
  EXPECT_EQ(Walk(F(), F().Btn_Sz, false), backwards);
  // From nowhere (no focus yet) Tab starts at the first control, Shift+Tab at the last.
  EXPECT_EQ(F().FindNextControl(nullptr, true), F().Btn_Sz);
  EXPECT_EQ(F().FindNextControl(nullptr, false), F().Chk_Qx);
}

TEST_F(FocusOrderTest, EachPageIsWalkedInItsOwnOrderWithWhatIsShownAndEnabled) {
  StartAt("2026-03-02 08:00:00");
  F().Btn_Sz->UserClick();
  F().xz->UserSelectPage(2);
  F().tx->UserToggle();  // shows the event combo box
  F().Btn_StopNl->SetEnabled(true);
  const struct {
    int page;
    std::vector<std::string> controls;  // between xz and Btn_Start
  } cases[] = {
      {1, {"nzls", "Btn_OpenNl", "nlplay", "zdls", "Btn_OpenZd", "zdplay"}},  // the pause and stop buttons are off
      {2, {"tx", "shijian"}},
      {3, {"Btn_Gj", "RadioButton1", "DateTime_Date_Gj", "DateTime_Time_Gj", "RadioButton2", "SpinEdit_H_Gj",
           "SpinEdit_M_Gj", "SpinEdit_S_Gj"}},
      {4, {"Memo_Update"}},
      {5, {"Memo_Log", "Btn_Log_Save", "Btn_Log_Clear", "CheckBox_Log"}},
      {6, {"sWebLabel1", "sWebLabel3", "sWebLabel2", "sWebLabel4"}},  // the links, top to bottom
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    F().xz->UserSelectPage(c.page);
    std::vector<std::string> expected{"Btn_StopNl", "Chk_Zd", "Btn_ExeUpdate", "xz"};
    expected.insert(expected.end(), c.controls.begin(), c.controls.end());
    expected.push_back("Btn_Start");
    std::vector<std::string> walked = Walk(F(), F().Btn_Clear);
    walked.resize(std::min(walked.size(), expected.size()));
    EXPECT_EQ(walked, expected);
  }
}

TEST_F(FocusOrderTest, WhatTheUserCannotSeeOrUseIsPassedOver) {
  StartAt("2026-03-02 08:00:00");
  F().Btn_Sz->UserClick();
  EXPECT_FALSE(F().List_Box->Visible());
  EXPECT_FALSE(F().Memo_Save->Visible());
  F().List_Box->SetVisible(true);  // even shown, the scratch controls are no tab stops
  F().Memo_Save->SetVisible(true);
  F().xpGroupBox5->SetEnabled(false);  // a disabled container takes its controls along
  std::vector<std::string> walked = Walk(F(), F().DateTime_Time);
  EXPECT_EQ(walked.front(), "Chk_Qx");
  for (const std::string& name : walked) EXPECT_TRUE(name != "List_Box" && name != "Memo_Save" && name != "Btn_Start");

  // The containers themselves never take the focus; the folded window hides the pages.
  for (const TControl* c : {static_cast<const TControl*>(F().xpGroupBox3), static_cast<const TControl*>(F().sBar),
                            static_cast<const TControl*>(F().xpTabSheet1), static_cast<const TControl*>(F().sLabel8)})
    EXPECT_FALSE(c->TabStop) << c->Name();
  F().Btn_Sz->UserClick();
  EXPECT_FALSE(F().InView(*F().DateTime_Time));
  EXPECT_FALSE(F().InView(*F().Btn_Add)) << "under the status bar";
  EXPECT_TRUE(F().InView(*F().Chk_Qx));
}
