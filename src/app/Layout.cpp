// The main window's layout: every control with its place, caption, initial
// state and handler, one construction function per page.
#include "app/Pictures.h"
#include "app/Unit_Tamiro.h"
#include "platform/audio/XaudioPlayer.h"
#include "platform/os/HttpClient.h"

namespace {

template <class T>
T* Place(T* control, int left, int top, int width, int height, int tabOrder = -1) {
  control->SetBounds(left, top, width, height);
  control->TabOrder = tabOrder;
  return control;
}

template <class T>
T* Captioned(T* control, const char* caption) {
  control->SetCaption(caption);
  return control;
}

}  // namespace

// Binds a member handler to an event.
#define ON(handler) [this](auto&&... args) { handler(std::forward<decltype(args)>(args)...); }

TFrm_Tamiro::TFrm_Tamiro() : TForm("Frm_Tamiro", "TFrm_Tamiro") {
  SetCaption("Velora");
  SetBounds(353, 132, 534 + kFrameWidth, 407 + kFrameHeight);
  Icon = MakeClockPicture();
  BuildWindow();
  BuildRecordGroup();
  BuildAlarmPage();
  BuildSoundPage();
  BuildEventPage();
  BuildShutdownPage();
  BuildUpdatePage();
  BuildLogPage();
  BuildAboutPage();
  BuildComponents();
  OnCreate = ON(FormCreate);
  OnCloseQuery = ON(FormCloseQuery);
  OnDestroy = ON(FormDestroy);
}

TFrm_Tamiro::~TFrm_Tamiro() = default;

void TFrm_Tamiro::BuildWindow() {
  Btn_Sz = Captioned(Place(new TButton(this, "Btn_Sz", this), 40, 200, 65, 25, 0), "设置");
  Btn_Sz->OnClick = ON(Btn_SzClick);
  Btn_Add = Captioned(Place(new TButton(this, "Btn_Add", this), 460, 250, 60, 25, 1), "添加");
  Btn_Add->OnClick = ON(Btn_AddClick);
  Btn_Cancel = Captioned(Place(new TButton(this, "Btn_Cancel", this), 460, 300, 60, 25, 2), "重置");
  Btn_Cancel->OnClick = ON(Btn_CancelClick);
  Btn_del = Captioned(Place(new TButton(this, "Btn_del", this), 144, 200, 65, 25, 3), "删除");
  Btn_del->OnClick = ON(Btn_delClick);
  Btn_Clear = Captioned(Place(new TButton(this, "Btn_Clear", this), 248, 200, 65, 25, 4), "清空");
  Btn_Clear->OnClick = ON(Btn_ClearClick);
  Btn_StopNl = Captioned(Place(new TButton(this, "Btn_StopNl", this), 352, 200, 65, 25, 5), "停止铃声");
  Btn_StopNl->SetEnabled(false);
  Btn_StopNl->OnClick = ON(Btn_StopNlClick);
  Chk_Zd = Captioned(Place(new TCheckBox(this, "Chk_Zd", this), 456, 205, 73, 17, 6), "整点报时");
  Chk_Zd->OnChange = ON(Chk_ZdChange);
  Btn_ExeUpdate = Captioned(Place(new TButton(this, "Btn_ExeUpdate", this), 460, 350, 60, 25, 7), "在线升级");
  Btn_ExeUpdate->OnClick = ON(Btn_ExeUpdateClick);
  xz = Place(new TPageControl(this, "xz", this), 6, 238, 451, 155, 8);
  xpGroupBox5 = Captioned(Place(new TGroupBox(this, "xpGroupBox5", this), 8, 4, 518, 185, 9), "记录列表");
  sBar = Place(new TStatusBar(this, "sBar", this), 0, 386, 534, 21, 10);
  sBar->SetAlign(TAlign::alBottom);
  sBar->AddPanel("电子闹钟", 190);
  sBar->AddPanel("定时关机尚未启动", 84);
  List_Box = Place(new TListBox(this, "List_Box", this), 0, 189, 20, 20, 11);
  List_Box->SetVisible(false);
  List_Box->TabStop = false;
  Chk_Qx = Captioned(Place(new TCheckBox(this, "Chk_Qx", this), 459, 3, 49, 17, 12), "全选");
  Chk_Qx->OnChange = ON(Chk_QxChange);
  Memo_Save = Place(new TMemo(this, "Memo_Save", this), 0, 208, 20, 20, 13);
  Memo_Save->SetVisible(false);
  Memo_Save->TabStop = false;
}

void TFrm_Tamiro::BuildRecordGroup() {
  TGroupBox* g = xpGroupBox5;
  Btn_Start = Captioned(Place(new TButton(this, "Btn_Start", g), 449, 25, 60, 25, 0), "启动");
  Btn_Start->OnClick = ON(Btn_StartClick);
  Btn_Stop = Captioned(Place(new TButton(this, "Btn_Stop", g), 449, 65, 60, 25, 1), "终止");
  Btn_Stop->SetEnabled(false);
  Btn_Stop->OnClick = ON(Btn_StopClick);
  Btn_List_Save = Captioned(Place(new TButton(this, "Btn_List_Save", g), 449, 105, 60, 25, 2), "保存");
  Btn_List_Save->OnClick = ON(Btn_List_SaveClick);
  Btn_List_Open = Captioned(Place(new TButton(this, "Btn_List_Open", g), 449, 145, 60, 25, 3), "读取");
  Btn_List_Open->OnClick = ON(Btn_List_OpenClick);
  List_Tamiro = Place(new TListView(this, "List_Tamiro", g), 10, 18, 433, 156, 4);
  List_Tamiro->Columns = {{"闹响时间", 130}, {"响铃方式", 80}, {"提醒事件", 100}, {"闹钟铃声", 300}};
  List_Tamiro->OnChange = ON(List_TamiroChange);
}

void TFrm_Tamiro::BuildAlarmPage() {
  xpTabSheet1 = Captioned(new TTabSheet(this, "xpTabSheet1", xz), "闹钟设置");
  xpGroupBox3 = Captioned(Place(new TGroupBox(this, "xpGroupBox3", xpTabSheet1), 40, 6, 369, 51, 0), "响铃方式");
  sRadioButton2 = Captioned(Place(new TRadioButton(this, "sRadioButton2", xpGroupBox3), 16, 19, 73, 17, 0), "只响一次");
  sRadioButton2->SetChecked(true);
  sRadioButton2->OnChange = ON(sRadioButton2Change);
  sRadioButton1 = Captioned(Place(new TRadioButton(this, "sRadioButton1", xpGroupBox3), 110, 19, 73, 17, 1), "每天都响");
  sRadioButton1->OnChange = ON(sRadioButton1Change);
  sRadioButton3 = Captioned(Place(new TRadioButton(this, "sRadioButton3", xpGroupBox3), 208, 19, 73, 17, 2), "周一到五");
  sRadioButton3->OnChange = ON(sRadioButton3Change);
  sRadioButton4 = Captioned(Place(new TRadioButton(this, "sRadioButton4", xpGroupBox3), 302, 19, 49, 17, 3), "周末");
  sRadioButton4->OnChange = ON(sRadioButton4Change);
  xpGroupBox4 = Captioned(Place(new TGroupBox(this, "xpGroupBox4", xpTabSheet1), 40, 68, 369, 48, 1), "时间设置");
  sLabel8 = Captioned(Place(new TLabel(this, "sLabel8", xpGroupBox4), 24, 21, 84, 12), "请选择日期时间");
  DateTime_Date = Place(new TDateTimePicker(this, "DateTime_Date", xpGroupBox4, TDateTimeKind::dtkDate), 136, 18, 100, 20, 0);
  DateTime_Date->SetDateTime(EncodeDate(2006, 1, 18));
  DateTime_Time = Place(new TDateTimePicker(this, "DateTime_Time", xpGroupBox4, TDateTimeKind::dtkTime), 254, 18, 90, 20, 1);
}

void TFrm_Tamiro::BuildSoundPage() {
  xpTabSheet2 = Captioned(new TTabSheet(this, "xpTabSheet2", xz), "铃声设置");
  TTabSheet* p = xpTabSheet2;
  sLabel2 = Captioned(Place(new TLabel(this, "sLabel2", p), 16, 8, 84, 12), "请选择闹钟铃声");
  nzls = Place(new TEdit(this, "nzls", p), 16, 24, 401, 20, 0);
  Btn_OpenNl = Place(new TButton(this, "Btn_OpenNl", p, "TsBitBtn"), 416, 26, 17, 15, 1);
  Btn_OpenNl->Glyph = MakeFolderGlyph();
  Btn_OpenNl->OnClick = ON(Btn_OpenNlClick);
  nlplay = Captioned(Place(new TButton(this, "nlplay", p), 304, 46, 40, 20, 2), "播放");
  nlplay->OnClick = ON(nlplayClick);
  nlzt = Captioned(Place(new TButton(this, "nlzt", p), 348, 46, 40, 20, 3), "暂停");
  nlzt->SetEnabled(false);
  nlzt->OnClick = ON(nlztClick);
  nlstop = Captioned(Place(new TButton(this, "nlstop", p), 392, 46, 40, 20, 4), "停止");
  nlstop->SetEnabled(false);
  nlstop->OnClick = ON(nlstopClick);
  sLabel14 = Captioned(Place(new TLabel(this, "sLabel14", p), 16, 62, 108, 12), "请选择整点报时铃声");
  zdls = Place(new TEdit(this, "zdls", p), 16, 78, 401, 20, 5);
  Btn_OpenZd = Place(new TButton(this, "Btn_OpenZd", p, "TsBitBtn"), 416, 77, 17, 15, 6);
  Btn_OpenZd->Glyph = MakeFolderGlyph();
  Btn_OpenZd->OnClick = ON(Btn_OpenZdClick);
  zdplay = Captioned(Place(new TButton(this, "zdplay", p), 304, 101, 40, 20, 7), "播放");
  zdplay->OnClick = ON(zdplayClick);
  zdzt = Captioned(Place(new TButton(this, "zdzt", p), 348, 101, 40, 20, 8), "暂停");
  zdzt->SetEnabled(false);
  zdzt->OnClick = ON(zdztClick);
  zdstop = Captioned(Place(new TButton(this, "zdstop", p), 392, 101, 40, 20, 9), "停止");
  zdstop->SetEnabled(false);
  zdstop->OnClick = ON(zdstopClick);
}

void TFrm_Tamiro::BuildEventPage() {
  xpTabSheet3 = Captioned(new TTabSheet(this, "xpTabSheet3", xz), "事件");
  tx = Captioned(Place(new TCheckBox(this, "tx", xpTabSheet3), 24, 16, 193, 17, 0), "到预定时间是否提醒要做什么事");
  tx->OnChange = ON(txChange);
  sLabel1 = Captioned(Place(new TLabel(this, "sLabel1", xpTabSheet3), 24, 44, 72, 12), "请输入或选择");
  sLabel1->SetVisible(false);
  shijian = Place(new TComboBox(this, "shijian", xpTabSheet3), 24, 60, 193, 20, 1);
  shijian->Items.Assign({"起床", "睡觉", "去上课", "去上班", "去约会"});
  shijian->SetVisible(false);
}

void TFrm_Tamiro::BuildShutdownPage() {
  xpTabSheet4 = Captioned(new TTabSheet(this, "xpTabSheet4", xz), "定时关机");
  Btn_Gj = Captioned(Place(new TButton(this, "Btn_Gj", xpTabSheet4), 192, 99, 90, 25, 0), "开始记时");
  Btn_Gj->OnClick = ON(Btn_GjClick);
  xpGroupBox1 = Captioned(Place(new TGroupBox(this, "xpGroupBox1", xpTabSheet4), 32, 9, 393, 80, 1), "时间设置");
  TGroupBox* g = xpGroupBox1;
  RadioButton1 = Captioned(Place(new TRadioButton(this, "RadioButton1", g), 24, 19, 97, 17, 0), "指定关机时间");
  RadioButton1->SetChecked(true);
  RadioButton1->OnChange = ON(RadioButton1Click);
  DateTime_Date_Gj = Place(new TDateTimePicker(this, "DateTime_Date_Gj", g, TDateTimeKind::dtkDate), 158, 18, 100, 20, 1);
  DateTime_Date_Gj->SetDateTime(EncodeDate(2006, 1, 18));
  DateTime_Time_Gj = Place(new TDateTimePicker(this, "DateTime_Time_Gj", g, TDateTimeKind::dtkTime), 278, 18, 90, 20, 2);
  RadioButton2 = Captioned(Place(new TRadioButton(this, "RadioButton2", g), 24, 48, 121, 17, 3), "从计时后多长时间");
  RadioButton2->OnChange = ON(RadioButton1Click);
  SpinEdit_H_Gj = Place(new TSpinEdit(this, "SpinEdit_H_Gj", g), 158, 46, 50, 21, 4);
  Label1 = Captioned(Place(new TLabel(this, "Label1", g, "TLabel"), 213, 50, 12, 12), "时");
  SpinEdit_M_Gj = Place(new TSpinEdit(this, "SpinEdit_M_Gj", g), 230, 46, 50, 21, 5);
  Label2 = Captioned(Place(new TLabel(this, "Label2", g, "TLabel"), 285, 50, 12, 12), "分");
  SpinEdit_S_Gj = Place(new TSpinEdit(this, "SpinEdit_S_Gj", g), 302, 46, 50, 21, 6);
  Label4 = Captioned(Place(new TLabel(this, "Label4", g, "TLabel"), 357, 50, 12, 12), "秒");
}

void TFrm_Tamiro::BuildUpdatePage() {
  xpTabSheet5 = Captioned(new TTabSheet(this, "xpTabSheet5", xz), "升级信息");
  Memo_Update = Place(new TMemo(this, "Memo_Update", xpTabSheet5), 8, 8, 433, 113, 0);
  Memo_Update->ScrollBarVertical = true;
  Memo_Update->Lines.Assign(ReleaseNotes());
  Memo_Update->OnKeyPress = ON(Memo_LogKeyPress);
}

void TFrm_Tamiro::BuildLogPage() {
  xpTabSheet6 = Captioned(new TTabSheet(this, "xpTabSheet6", xz), "日志");
  Memo_Log = Place(new TMemo(this, "Memo_Log", xpTabSheet6), 8, 8, 433, 89, 0);
  Memo_Log->ScrollBarVertical = true;
  Memo_Log->OnKeyPress = ON(Memo_LogKeyPress);
  Btn_Log_Save = Captioned(Place(new TButton(this, "Btn_Log_Save", xpTabSheet6), 296, 101, 65, 25, 1), "保存日志");
  Btn_Log_Save->OnClick = ON(Btn_Log_SaveClick);
  Btn_Log_Clear = Captioned(Place(new TButton(this, "Btn_Log_Clear", xpTabSheet6), 376, 101, 65, 25, 2), "清空日志");
  Btn_Log_Clear->OnClick = ON(Btn_Log_ClearClick);
  CheckBox_Log = Captioned(Place(new TCheckBox(this, "CheckBox_Log", xpTabSheet6), 7, 104, 281, 18, 3),
                           "自动保存日志（保存到根目录下的Tamiro.Log）");
  CheckBox_Log->SetChecked(true);
  CheckBox_Log->OnChange = ON(CheckBox_LogChange);
}

void TFrm_Tamiro::BuildAboutPage() {
  xpTabSheet7 = Captioned(new TTabSheet(this, "xpTabSheet7", xz), "关于");
  TTabSheet* p = xpTabSheet7;
  Image1 = Place(new TImage(this, "Image1", p), 8, 8, 64, 64);
  Image1->Picture = AboutPicture();
  sLabel11 = Captioned(Place(new TLabel(this, "sLabel11", p), 80, 6, 120, 12), "Velora（晨曦版）");
  sLabel12 = Captioned(Place(new TLabel(this, "sLabel12", p), 80, 22, 36, 12), "版本：");
  Label3 = Captioned(Place(new TLabel(this, "Label3", p, "TLabel"), 120, 22, 24, 12), "版本");
  Label3->SetFontColor(clRed);
  sLabel10 = Captioned(Place(new TLabel(this, "sLabel10", p), 80, 44, 84, 12), "本软件授权给：");
  Label_Bq = Place(new TLabel(this, "Label_Bq", p, "TLabel"), 80, 62, 170, 12);
  xpGroupBox2 = Captioned(Place(new TGroupBox(this, "xpGroupBox2", p), 260, 6, 177, 109, 4), "联系作者");
  TGroupBox* g = xpGroupBox2;
  sWebLabel1 = Captioned(Place(new TLabel(this, "sWebLabel1", g, "TsWebLabel"), 20, 17, 132, 12), "www.example.com");
  sWebLabel1->OnClick = ON(sWebLabel1Click);
  sWebLabel3 = Captioned(Place(new TLabel(this, "sWebLabel3", g, "TsWebLabel"), 20, 40, 102, 12), "velora@example.org");
  sWebLabel3->OnClick = ON(sWebLabel3Click);
  sWebLabel2 = Captioned(Place(new TLabel(this, "sWebLabel2", g, "TsWebLabel"), 20, 61, 84, 12), "hw@example.com");
  sWebLabel2->OnClick = ON(sWebLabel2Click);
  sWebLabel4 = Captioned(Place(new TLabel(this, "sWebLabel4", g, "TsWebLabel"), 21, 82, 54, 12), "QQ:10001");
  sWebLabel4->OnClick = ON(sWebLabel4Click);
  for (TLabel* link : {sWebLabel1, sWebLabel2, sWebLabel3, sWebLabel4}) link->SetFontColor(clBlue);
}

void TFrm_Tamiro::BuildComponents() {
  OpenDialog_Tamiro = new TOpenDialog(this, "OpenDialog_Tamiro");
  SaveDialog_Tamiro = new TSaveDialog(this, "SaveDialog_Tamiro");
  XaudioPlayer1 = new TXaudioPlayer(this, "XaudioPlayer1");
  XaudioPlayer1->Priority = 3;
  XaudioPlayer1->XaudioPath = "xaudio.dll";
  XaudioPlayer1->Post = [](std::function<void()> work) { Application->GetBackend().Post(std::move(work)); };
  XaudioPlayer1->OnNotifyInputTimecode = ON(XaudioPlayer1NotifyInputTimecode);
  XaudioPlayer1->OnNotifyStreamDuration = ON(XaudioPlayer1NotifyStreamDuration);
  Time_Ls = new TTimer(this, "Time_Ls");
  Time_Ls->OnTimer = ON(Time_LsTimer);
  Time_Zd = new TTimer(this, "Time_Zd");
  Time_Zd->OnTimer = ON(Time_ZdTimer);
  Time_Zd->SetClockAligned(true);
  Time_Nz = new TTimer(this, "Time_Nz");
  Time_Nz->OnTimer = ON(Time_NzTimer);
  Time_Nz->SetClockAligned(true);
  Timer_Gj = new TTimer(this, "Timer_Gj", 1000);
  Timer_Gj->OnTimer = ON(Timer_GjTimer);
  Timer_Gj->SetClockAligned(true);

  iglIcons1 = new TImageList(this, "iglIcons1", 32, 32);
  iglIcons1->Add(MakeClockPicture());
  iglIcons = new TImageList(this, "iglIcons", 32, 32);
  iglIcons->Add(MakeClockPicture());
  iglIcons->Add(MakeTransparentPicture());

  PopupMenu1 = new TPopupMenu(this, "PopupMenu1");
  mnuShowHide = PopupMenu1->Add("mnuShowHide", "显示/隐藏(&G)");
  mnuShowHide->OnClick = ON(mnuShowHideClick);
  N3 = PopupMenu1->Add("N3", "-");
  numqd = PopupMenu1->Add("numqd", "启动闹钟(&S)");
  numqd->OnClick = ON(numqdClick);
  numzz = PopupMenu1->Add("numzz", "终止闹钟(&Z)");
  numzz->OnClick = ON(numzzClick);
  N2 = PopupMenu1->Add("N2", "-");
  numupdate = PopupMenu1->Add("numupdate", "在线升级(&U)");
  numupdate->OnClick = ON(numupdateClick);
  N1 = PopupMenu1->Add("N1", "-");
  Animate1 = PopupMenu1->Add("Animate1", "退出程序(&E)");
  Animate1->OnClick = ON(Animate1Click);

  TrayIcon1 = new TTrayIcon(this, "TrayIcon1");
  TrayIcon1->SetHint(std::string("Harwen（") + kWebSite + "）━电子闹钟");
  TrayIcon1->PopupMenu = PopupMenu1;
  TrayIcon1->PopupMenuOn = imRightClickUp;
  TrayIcon1->RestoreOn = imNone;
  TrayIcon1->Hide = true;
  TrayIcon1->SetIcons(iglIcons1);
  TrayIcon1->SetIconIndex(0);
  TrayIcon1->OnClick = ON(mnuShowHideClick);
  TrayIcon1->SetAnimate(true);
  TrayIcon1->SetVisible(true);

  IdAntiFreeze1 = new TIdAntiFreeze(this, "IdAntiFreeze1");
  IdHTTP1 = new TIdHTTP(this, "IdHTTP1");
  // A server that cannot be reached, or stops sending, fails the request instead of holding it.
  IdHTTP1->ConnectTimeout = 30000;
  IdHTTP1->ReadTimeout = 60000;
  IdHTTP1->AllowCookies = true;
  IdHTTP1->Request.Accept = "text/html, */*";
  IdHTTP1->Request.ContentType = "text/html";
  IdHTTP1->Request.UserAgent = "Mozilla/3.0 (compatible; Indy Library)";
}
