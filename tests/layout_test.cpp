// The main window's layout: every control's kind, parent, place, tab order, caption and state.
#include <functional>

#include "TamiroFixture.h"

namespace {

struct Placed {
  const char* name;
  const char* kind;
  const char* parent;
  int left, top, width, height, tab;
  const char* caption;
};

const Placed kLayout[] = {
    {"Btn_Sz", "TsButton", "Frm_Tamiro", 40, 200, 65, 25, 0, "设置"},
    {"Btn_Add", "TsButton", "Frm_Tamiro", 460, 250, 60, 25, 1, "添加"},
    {"Btn_Cancel", "TsButton", "Frm_Tamiro", 460, 300, 60, 25, 2, "重置"},
    {"Btn_del", "TsButton", "Frm_Tamiro", 144, 200, 65, 25, 3, "删除"},
    {"Btn_Clear", "TsButton", "Frm_Tamiro", 248, 200, 65, 25, 4, "清空"},
    {"Btn_StopNl", "TsButton", "Frm_Tamiro", 352, 200, 65, 25, 5, "停止铃声"},
    {"Chk_Zd", "TsCheckBox", "Frm_Tamiro", 456, 205, 73, 17, 6, "整点报时"},
    {"Btn_ExeUpdate", "TsButton", "Frm_Tamiro", 460, 350, 60, 25, 7, "在线升级"},
    {"xz", "TxpPageControl", "Frm_Tamiro", 6, 238, 451, 155, 8, ""},
    {"xpGroupBox5", "TxpGroupBox", "Frm_Tamiro", 8, 4, 518, 185, 9, "记录列表"},
    {"sBar", "TsStatusBar", "Frm_Tamiro", 0, 386, 534, 21, 10, ""},
    {"List_Box", "TListBox", "Frm_Tamiro", 0, 189, 20, 20, 11, ""},
    {"Chk_Qx", "TsCheckBox", "Frm_Tamiro", 459, 3, 49, 17, 12, "全选"},
    {"Memo_Save", "TMemo", "Frm_Tamiro", 0, 208, 20, 20, 13, ""},
    {"Btn_Start", "TsButton", "xpGroupBox5", 449, 25, 60, 25, 0, "启动"},
    {"Btn_Stop", "TsButton", "xpGroupBox5", 449, 65, 60, 25, 1, "终止"},
    {"Btn_List_Save", "TsButton", "xpGroupBox5", 449, 105, 60, 25, 2, "保存"},
    {"Btn_List_Open", "TsButton", "xpGroupBox5", 449, 145, 60, 25, 3, "读取"},
    {"List_Tamiro", "TListView", "xpGroupBox5", 10, 18, 433, 156, 4, ""},
    {"xpGroupBox3", "TxpGroupBox", "xpTabSheet1", 40, 6, 369, 51, 0, "响铃方式"},
    {"sRadioButton2", "TsRadioButton", "xpGroupBox3", 16, 19, 73, 17, 0, "只响一次"},
    {"sRadioButton1", "TsRadioButton", "xpGroupBox3", 110, 19, 73, 17, 1, "每天都响"},
    {"sRadioButton3", "TsRadioButton", "xpGroupBox3", 208, 19, 73, 17, 2, "周一到五"},
    {"sRadioButton4", "TsRadioButton", "xpGroupBox3", 302, 19, 49, 17, 3, "周末"},
    {"xpGroupBox4", "TxpGroupBox", "xpTabSheet1", 40, 68, 369, 48, 1, "时间设置"},
    {"sLabel8", "TsLabel", "xpGroupBox4", 24, 21, 84, 12, -1, "请选择日期时间"},
    {"DateTime_Date", "TDateTimePicker", "xpGroupBox4", 136, 18, 100, 20, 0, ""},
    {"DateTime_Time", "TDateTimePicker", "xpGroupBox4", 254, 18, 90, 20, 1, ""},
    {"sLabel2", "TsLabel", "xpTabSheet2", 16, 8, 84, 12, -1, "请选择闹钟铃声"},
    {"nzls", "TEdit", "xpTabSheet2", 16, 24, 401, 20, 0, ""},
    {"Btn_OpenNl", "TsBitBtn", "xpTabSheet2", 416, 26, 17, 15, 1, ""},
    {"nlplay", "TsButton", "xpTabSheet2", 304, 46, 40, 20, 2, "播放"},
    {"nlzt", "TsButton", "xpTabSheet2", 348, 46, 40, 20, 3, "暂停"},
    {"nlstop", "TsButton", "xpTabSheet2", 392, 46, 40, 20, 4, "停止"},
    {"sLabel14", "TsLabel", "xpTabSheet2", 16, 62, 108, 12, -1, "请选择整点报时铃声"},
    {"zdls", "TEdit", "xpTabSheet2", 16, 78, 401, 20, 5, ""},
    {"Btn_OpenZd", "TsBitBtn", "xpTabSheet2", 416, 77, 17, 15, 6, ""},
    {"zdplay", "TsButton", "xpTabSheet2", 304, 101, 40, 20, 7, "播放"},
    {"zdzt", "TsButton", "xpTabSheet2", 348, 101, 40, 20, 8, "暂停"},
    {"zdstop", "TsButton", "xpTabSheet2", 392, 101, 40, 20, 9, "停止"},
    {"tx", "TsCheckBox", "xpTabSheet3", 24, 16, 193, 17, 0, "到预定时间是否提醒要做什么事"},
    {"sLabel1", "TsLabel", "xpTabSheet3", 24, 44, 72, 12, -1, "请输入或选择"},
    {"shijian", "TsComboBox", "xpTabSheet3", 24, 60, 193, 20, 1, ""},
    {"Btn_Gj", "TsButton", "xpTabSheet4", 192, 99, 90, 25, 0, "开始记时"},
    {"xpGroupBox1", "TxpGroupBox", "xpTabSheet4", 32, 9, 393, 80, 1, "时间设置"},
    {"RadioButton1", "TsRadioButton", "xpGroupBox1", 24, 19, 97, 17, 0, "指定关机时间"},
    {"DateTime_Date_Gj", "TDateTimePicker", "xpGroupBox1", 158, 18, 100, 20, 1, ""},
    {"DateTime_Time_Gj", "TDateTimePicker", "xpGroupBox1", 278, 18, 90, 20, 2, ""},
    {"RadioButton2", "TsRadioButton", "xpGroupBox1", 24, 48, 121, 17, 3, "从计时后多长时间"},
    {"SpinEdit_H_Gj", "TSpinEdit", "xpGroupBox1", 158, 46, 50, 21, 4, ""},
    {"Label1", "TLabel", "xpGroupBox1", 213, 50, 12, 12, -1, "时"},
    {"SpinEdit_M_Gj", "TSpinEdit", "xpGroupBox1", 230, 46, 50, 21, 5, ""},
    {"Label2", "TLabel", "xpGroupBox1", 285, 50, 12, 12, -1, "分"},
    {"SpinEdit_S_Gj", "TSpinEdit", "xpGroupBox1", 302, 46, 50, 21, 6, ""},
    {"Label4", "TLabel", "xpGroupBox1", 357, 50, 12, 12, -1, "秒"},
    {"Memo_Update", "TMemo", "xpTabSheet5", 8, 8, 433, 113, 0, ""},
    {"Memo_Log", "TMemo", "xpTabSheet6", 8, 8, 433, 89, 0, ""},
    {"Btn_Log_Save", "TsButton", "xpTabSheet6", 296, 101, 65, 25, 1, "保存日志"},
    {"Btn_Log_Clear", "TsButton", "xpTabSheet6", 376, 101, 65, 25, 2, "清空日志"},
    {"CheckBox_Log", "TsCheckBox", "xpTabSheet6", 7, 104, 281, 18, 3, "自动保存日志（保存到根目录下的Tamiro.Log）"},
    {"sLabel12", "TsLabel", "xpTabSheet7", 80, 22, 36, 12, -1, "版本："},
    {"xpGroupBox2", "TxpGroupBox", "xpTabSheet7", 260, 6, 177, 109, 4, "联系作者"},
    {"sWebLabel1", "TsWebLabel", "xpGroupBox2", 20, 17, 132, 12, -1, "www.example.com"},
    {"sWebLabel3", "TsWebLabel", "xpGroupBox2", 20, 40, 102, 12, -1, "velora@example.org"},
    {"sWebLabel2", "TsWebLabel", "xpGroupBox2", 20, 61, 84, 12, -1, "hw@example.com"},
    {"sWebLabel4", "TsWebLabel", "xpGroupBox2", 21, 82, 54, 12, -1, "QQ:10001"},
};

class LayoutTest : public TamiroTest {};

TEST_F(LayoutTest, EveryControlSitsWhereTheLayoutPutsIt) {
  StartAt("2026-03-02 08:00:00");
  F().SetHeight(443);  // the layout is drawn unfolded; the docked status bar follows the height
  for (const Placed& p : kLayout) {
    SCOPED_TRACE(p.name);
    auto* control = dynamic_cast<TControl*>(F().FindComponent(p.name));
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->ClassName(), p.kind);
    ASSERT_NE(control->Parent(), nullptr);
    EXPECT_EQ(control->Parent()->Name(), p.parent);
    EXPECT_EQ(control->Left(), p.left);
    EXPECT_EQ(control->Top(), p.top);
    EXPECT_EQ(control->Width(), p.width);
    EXPECT_EQ(control->Height(), p.height);
    EXPECT_EQ(control->TabOrder, p.tab);
    EXPECT_EQ(control->Caption(), p.caption);
  }
}

TEST_F(LayoutTest, TheStatusBarKeepsToTheBottomEdgeAtTheClientWidth) {
  StartAt("2026-03-02 08:00:00");
  const struct {
    const char* step;
    std::function<void()> act;
    int top, width;
  } steps[] = {
      {"started folded", [] {}, 235, 534},
      {"unfolded", [&] { F().Btn_Sz->UserClick(); }, 386, 534},
      {"folded again", [&] { F().Btn_Sz->UserClick(); }, 235, 534},
      {"a taller window", [&] { F().SetHeight(500); }, 443, 534},
      {"a wider client area", [&] { F().SetClientSize(600, 407); }, 386, 600},
      {"the desktop's frame", [&] { F().SetFrameWidth(14); }, 386, 600},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    s.act();
    EXPECT_EQ(F().sBar->Left(), 0);
    EXPECT_EQ(F().sBar->Top(), s.top);
    EXPECT_EQ(F().sBar->Top() + F().sBar->Height(), F().ClientHeight());
    EXPECT_EQ(F().sBar->Width(), s.width);
    EXPECT_EQ(F().sBar->Height(), 21);
  }
}

TEST_F(LayoutTest, InitialStatesPagesColumnsAndMenu) {
  StartAt("2026-03-02 08:00:00");
  for (TControl* off : {static_cast<TControl*>(F().Btn_StopNl), static_cast<TControl*>(F().Btn_Stop),
                        static_cast<TControl*>(F().nlzt), static_cast<TControl*>(F().nlstop),
                        static_cast<TControl*>(F().zdzt), static_cast<TControl*>(F().zdstop)}) {
    SCOPED_TRACE(off->Name());
    EXPECT_FALSE(off->Enabled());
  }
  for (TControl* hidden : {static_cast<TControl*>(F().List_Box), static_cast<TControl*>(F().Memo_Save),
                           static_cast<TControl*>(F().sLabel1), static_cast<TControl*>(F().shijian)}) {
    SCOPED_TRACE(hidden->Name());
    EXPECT_FALSE(hidden->Visible());
  }
  EXPECT_FALSE(F().List_Box->TabStop);
  EXPECT_FALSE(F().Memo_Save->TabStop);
  EXPECT_TRUE(F().sRadioButton2->Checked());
  EXPECT_TRUE(F().RadioButton1->Checked());
  EXPECT_TRUE(F().CheckBox_Log->Checked());
  EXPECT_FALSE(F().tx->Checked());
  EXPECT_EQ(F().shijian->Items.Items(), (std::vector<std::string>{"起床", "睡觉", "去上课", "去上班", "去约会"}));

  std::vector<std::string> pages;
  for (TTabSheet* page : F().xz->Pages()) pages.push_back(page->Caption());
  EXPECT_EQ(pages, (std::vector<std::string>{"闹钟设置", "铃声设置", "事件", "定时关机", "升级信息", "日志", "关于"}));
  EXPECT_EQ(F().xz->ActivePageIndex(), 0);

  int width = 0;
  std::vector<std::string> columns;
  for (const TListColumn& c : F().List_Tamiro->Columns) columns.push_back(c.Caption), width += c.Width;
  EXPECT_EQ(columns, (std::vector<std::string>{"闹响时间", "响铃方式", "提醒事件", "闹钟铃声"}));
  EXPECT_EQ(width, 610) << "wider than the 433-pixel view, which scrolls sideways";

  EXPECT_EQ(F().sBar->PanelCount(), 2);
  EXPECT_EQ(F().sBar->Panels(1)->Text(), "定时关机尚未启动");
  EXPECT_EQ(F().Memo_Update->Lines.Count(), 19);

  std::vector<std::string> menu;
  for (TMenuItem* item : F().PopupMenu1->Items) menu.push_back(item->Caption());
  EXPECT_EQ(menu, (std::vector<std::string>{"显示/隐藏(&G)", "-", "启动闹钟(&S)", "终止闹钟(&Z)", "-", "在线升级(&U)",
                                            "-", "退出程序(&E)"}));
  EXPECT_EQ(F().Image1->Picture.Width, 64) << "the About picture decodes";
  EXPECT_EQ(F().Time_Nz->Interval(), 0);
  EXPECT_EQ(F().Timer_Gj->Interval(), 1000);
}

}  // namespace
