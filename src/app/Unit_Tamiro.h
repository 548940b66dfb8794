// The main window: every control and component by its name, and every handler.
// The handlers of each subsystem are defined in that subsystem's folder.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/TextFile.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImageList.h"
#include "platform/vcl/ListView.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Timer.h"
#include "platform/vcl/TrayIcon.h"

class TXaudioPlayer;
class TIdAntiFreeze;
class TIdHTTP;

// Mirrors of the stored settings, the log file's name, the schedule file and the list-file reader.
extern std::string LogChkValue;
extern std::string ZdbsValue;
extern std::string DateValue;
extern std::string LogFile;
extern std::unique_ptr<TIniFile> ScheduleIni;
extern std::unique_ptr<TIniFile> ListIni;
void ResetUnit_Tamiro();

// How a log line reaches the file.
using LogVariant = OpenVariant;

class TFrm_Tamiro : public TForm {
 public:
  TFrm_Tamiro();
  ~TFrm_Tamiro() override;

  // --- on the window
  TButton* Btn_Sz;
  TButton* Btn_Add;
  TButton* Btn_Cancel;
  TButton* Btn_del;
  TButton* Btn_Clear;
  TButton* Btn_StopNl;
  TCheckBox* Chk_Zd;
  TButton* Btn_ExeUpdate;
  TPageControl* xz;
  TGroupBox* xpGroupBox5;
  TStatusBar* sBar;
  TListBox* List_Box;
  TCheckBox* Chk_Qx;
  TMemo* Memo_Save;
  // record list group
  TButton* Btn_Start;
  TButton* Btn_Stop;
  TButton* Btn_List_Save;
  TButton* Btn_List_Open;
  TListView* List_Tamiro;
  // page "闹钟设置"
  TTabSheet* xpTabSheet1;
  TGroupBox* xpGroupBox3;
  TRadioButton* sRadioButton2;
  TRadioButton* sRadioButton1;
  TRadioButton* sRadioButton3;
  TRadioButton* sRadioButton4;
  TGroupBox* xpGroupBox4;
  TLabel* sLabel8;
  TDateTimePicker* DateTime_Date;
  TDateTimePicker* DateTime_Time;
  // page "铃声设置"
  TTabSheet* xpTabSheet2;
  TLabel* sLabel2;
  TEdit* nzls;
  TButton* Btn_OpenNl;
  TButton* nlplay;
  TButton* nlzt;
  TButton* nlstop;
  TLabel* sLabel14;
  TEdit* zdls;
  TButton* Btn_OpenZd;
  TButton* zdplay;
  TButton* zdzt;
  TButton* zdstop;
  // page "事件"
  TTabSheet* xpTabSheet3;
  TCheckBox* tx;
  TLabel* sLabel1;
  TComboBox* shijian;
  // page "定时关机"
  TTabSheet* xpTabSheet4;
  TButton* Btn_Gj;
  TGroupBox* xpGroupBox1;
  TRadioButton* RadioButton1;
  TDateTimePicker* DateTime_Date_Gj;
  TDateTimePicker* DateTime_Time_Gj;
  TRadioButton* RadioButton2;
  TSpinEdit* SpinEdit_H_Gj;
  TLabel* Label1;
  TSpinEdit* SpinEdit_M_Gj;
  TLabel* Label2;
  TSpinEdit* SpinEdit_S_Gj;
  TLabel* Label4;
  // page "升级信息"
  TTabSheet* xpTabSheet5;
  TMemo* Memo_Update;
  // page "日志"
  TTabSheet* xpTabSheet6;
  TMemo* Memo_Log;
  TButton* Btn_Log_Save;
  TButton* Btn_Log_Clear;
  TCheckBox* CheckBox_Log;
  // page "关于"
  TTabSheet* xpTabSheet7;
  TImage* Image1;
  TLabel* sLabel11;
  TLabel* sLabel12;
  TLabel* Label3;
  TLabel* sLabel10;
  TLabel* Label_Bq;
  TGroupBox* xpGroupBox2;
  TLabel* sWebLabel1;
  TLabel* sWebLabel3;
  TLabel* sWebLabel2;
  TLabel* sWebLabel4;
  // --- non-visual
  TOpenDialog* OpenDialog_Tamiro;
  TSaveDialog* SaveDialog_Tamiro;
  TXaudioPlayer* XaudioPlayer1;
  TTimer* Time_Ls;
  TTimer* Time_Zd;
  TTimer* Time_Nz;
  TTimer* Timer_Gj;
  TImageList* iglIcons1;
  TImageList* iglIcons;
  TTrayIcon* TrayIcon1;
  TPopupMenu* PopupMenu1;
  TMenuItem* mnuShowHide;
  TMenuItem* N3;
  TMenuItem* numqd;
  TMenuItem* numzz;
  TMenuItem* N2;
  TMenuItem* numupdate;
  TMenuItem* N1;
  TMenuItem* Animate1;
  TIdAntiFreeze* IdAntiFreeze1;
  TIdHTTP* IdHTTP1;

  // --- timed power-off state
  // What the power-off waits for. The radio buttons' Tag carries it: both are smNone, so
  // choosing either disarms a running power-off.
  enum TShutdownMode : int { smNone = 0, smAtMoment = 1, smAfterCountdown = 2 };
  TShutdownMode ShutdownMode = smNone;
  TDateTime ShutdownAt = 0;

  // --- start-up and life of the window
  void FormCreate(TObject* Sender);
  void Btn_SzClick(TObject* Sender);
  void sWebLabel1Click(TObject* Sender);
  void sWebLabel2Click(TObject* Sender);
  void sWebLabel3Click(TObject* Sender);
  void sWebLabel4Click(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormDestroy(TObject* Sender);
  void Memo_LogKeyPress(TObject* Sender, char32_t& Key);
  // --- tray menu
  void mnuShowHideClick(TObject* Sender);
  void numqdClick(TObject* Sender);
  void numzzClick(TObject* Sender);
  void numupdateClick(TObject* Sender);
  void Animate1Click(TObject* Sender);
  // --- settings
  // A settings file set aside as unreadable is told to the user in a box, once.
  void WatchSettingsStore();
  void LoadSettings();
  void SaveSettings();
  void SaveDate();
  void CheckBox_LogChange(TObject* Sender);
  // --- activity log
  void AppendLogLine(const std::string& message, LogVariant variant);
  void WriteDayHeader(LogVariant variant);
  void StartupDayCheck();
  void Btn_Log_ClearClick(TObject* Sender);
  void Btn_Log_SaveClick(TObject* Sender);
  // --- record editor
  void Btn_AddClick(TObject* Sender);
  void Btn_delClick(TObject* Sender);
  void Btn_ClearClick(TObject* Sender);
  void Chk_QxChange(TObject* Sender);
  void List_TamiroChange(TObject* Sender, TListItem* Item, TItemChange Change);
  void Btn_CancelClick(TObject* Sender);
  void txChange(TObject* Sender);
  void sRadioButton1Change(TObject* Sender);
  void sRadioButton2Change(TObject* Sender);
  void sRadioButton3Change(TObject* Sender);
  void sRadioButton4Change(TObject* Sender);
  // --- record-list files
  void Btn_List_SaveClick(TObject* Sender);
  void Btn_List_OpenClick(TObject* Sender);
  // --- schedule
  void Btn_StartClick(TObject* Sender);
  void Btn_StopClick(TObject* Sender);
  void Time_NzTimer(TObject* Sender);
  // --- ringing (start, stop, the watcher) and the sound rows' previews
  // One sound row of the page "铃声设置": whose sound it previews, its path, its buttons, and
  // the other row's play button, which is off while this row's sound is in the player.
  struct SoundRow {
    const std::string& Source;  // kRingSourceAlarm or kRingSourceChime
    TEdit* Path;
    TButton* Open;
    TButton* Play;
    TButton* Pause;
    TButton* Stop;
    TButton* OtherPlay;
  };
  // When the tray shows its steady clock again.
  enum class TrayTiming { AtNextStep, AtOnce };
  void XaudioPlayer1NotifyInputTimecode(TObject* Sender, uint8_t Hours, uint8_t Minutes, uint8_t Seconds,
                                        uint8_t Fractions);
  void XaudioPlayer1NotifyStreamDuration(TObject* Sender, uint32_t Duration);
  void StartRinging(const std::string& soundPath, const std::string& ringSource);
  // A row's stop action, shared by both rows: the sound ends, the row is idle, the watcher stops.
  void StopRowSound(const SoundRow& row);
  // Ends the blinking: the steady clock, at the next animation step or at once. The animation
  // runs on, so a later ring blinks again.
  void StopTrayFlashing(TrayTiming when);
  void SetDefaultSoundPaths();
  void Btn_StopNlClick(TObject* Sender);
  void nlplayClick(TObject* Sender);
  void nlztClick(TObject* Sender);
  void nlstopClick(TObject* Sender);
  void zdplayClick(TObject* Sender);
  void zdztClick(TObject* Sender);
  void zdstopClick(TObject* Sender);
  void Btn_OpenNlClick(TObject* Sender);
  void Btn_OpenZdClick(TObject* Sender);
  void Time_LsTimer(TObject* Sender);
  // --- hourly chime
  void SwitchOnChimeAtStartup();
  void Chk_ZdChange(TObject* Sender);
  void Time_ZdTimer(TObject* Sender);
  // --- clock tick and timed power-off
  void Timer_GjTimer(TObject* Sender);
  void Btn_GjClick(TObject* Sender);
  void RadioButton1Click(TObject* Sender);
  void PowerOff();
  // --- online update
  void Btn_ExeUpdateClick(TObject* Sender);

  // The About links' addresses.
  static const char* const kWebSite;
  static const char* const kMail1;
  static const char* const kMail2;
  static const char* const kImNumber;

 private:
  void BuildWindow();
  void BuildRecordGroup();
  void BuildAlarmPage();
  void BuildSoundPage();
  void BuildEventPage();
  void BuildShutdownPage();
  void BuildUpdatePage();
  void BuildLogPage();
  void BuildAboutPage();
  void BuildComponents();
  void ShowVersion();
  // The unreadable alarm-time text last reported per section, so a bad record is reported once.
  std::map<std::string, std::string> reportedBadTimes_;
  // The schedule file last reported as unreadable (its size, time and error), so it is reported once.
  std::string reportedBadSchedule_;
};

// The main window of the process.
extern TFrm_Tamiro* Frm_Tamiro;

// The application title, which captions the default exception report.
extern const char* const kApplicationTitle;
