// The record editor beside the list: add, delete, clear, select all, reset, the
// reminder text box and the ring-mode choice.
#include "app/Unit_Tamiro.h"
#include "app/Unit_Var.h"
#include "records/AlarmRecord.h"

void TFrm_Tamiro::Btn_AddClick(TObject*) {
  if (tx->Checked() && shijian->Text().empty()) {
    try {
      Application->MessageBox(this, "请输入或选择到时间要做的事,方便提醒", "事件", MB_OK | MB_ICONINFORMATION);
      shijian->SetFocus();  // fails while the page "事件" is not showing; that is fine
    } catch (const std::exception&) {
    }
    return;
  }
  bool once = sRadioButton2->Checked();
  NewRingMode = once                       ? RingMode::kOnce
                : sRadioButton1->Checked() ? RingMode::kEveryDay
                : sRadioButton3->Checked() ? RingMode::kWeekdays
                                           : RingMode::kWeekend;
  std::string time = FormatDateTime("HH:NN:SS", DateTime_Time->Time());
  NewAlarmTime = once ? FormatDateTime("yyyy-mm-dd", DateTime_Date->Date()) + " " + time : time;
  if (once) {
    if (NewAlarmTime < TimeStamp(Now())) {  // byte-wise, as unsigned characters
      Application->MessageBox(this, "你设置的时间已经过去了，请重新设置！", "错误", MB_OK | MB_ICONERROR);
      DateTime_Date->SetDate(Date());
      DateTime_Time->SetTime(TimeOf(WholeSeconds(Now())));
      return;
    }
  }
  // The new row is row RecordCount, the count of rows; it stays unticked.
  AlarmRecord{NewAlarmTime, NewRingMode, shijian->Text(), nzls->Text(), false}.ToRow(*List_Tamiro->Add());
  ++RecordCount;
  AppendLogLine("添加了一条记录至列表．", LogVariant::CreateIfMissing);
}

void TFrm_Tamiro::Btn_delClick(TObject*) {
  if (List_Tamiro->Count() == 0) {
    Application->MessageBox(this, "列表中没有记录！", "无记录", MB_OK | MB_ICONINFORMATION);
    Chk_Qx->SetChecked(false);
    return;
  }
  TListItem* selected = List_Tamiro->Selected();
  if (!selected) {
    Application->MessageBox(this, "请选中要删除的记录！", "选择", MB_OK | MB_ICONINFORMATION);
    return;
  }
  List_Tamiro->Delete(selected->Index());
  --RecordCount;
  AppendLogLine("删除了列表中的一条记录．", LogVariant::CreateIfMissing);
}

void TFrm_Tamiro::Btn_ClearClick(TObject*) {
  if (List_Tamiro->Count() == 0) {
    Application->MessageBox(this, "列表中没有记录！", "无记录", MB_OK | MB_ICONINFORMATION);
    return;
  }
  List_Tamiro->Clear();
  Chk_Qx->SetChecked(false);
  RecordCount = 0;
  AppendLogLine("已清空了列表．", LogVariant::CreateIfMissing);
}

void TFrm_Tamiro::Chk_QxChange(TObject*) {
  bool tick = Chk_Qx->Checked();
  if (List_Tamiro->Count() == 0) {
    Chk_Qx->SetChecked(false);
    return;
  }
  for (int i = 0; i < List_Tamiro->Count(); ++i) List_Tamiro->Item(i)->SetChecked(tick);
}

void TFrm_Tamiro::List_TamiroChange(TObject*, TListItem*, TItemChange) {
  // The list keeps its count of ticked rows, so this costs the same for any length of list.
  Chk_Qx->SetChecked(List_Tamiro->CheckedCount() >= List_Tamiro->Count());
}

void TFrm_Tamiro::Btn_CancelClick(TObject*) {
  DateTime_Date->SetDate(Date());
  DateTime_Time->SetTime(TimeOf(WholeSeconds(Now())));
  sRadioButton2->SetChecked(true);
  DateTime_Date->SetEnabled(true);
  SetDefaultSoundPaths();
  nlstop->Click();
  zdstop->Click();
  tx->SetChecked(false);
  sLabel1->SetVisible(false);
  shijian->SetVisible(false);
  shijian->SetText("");
}

void TFrm_Tamiro::txChange(TObject*) {
  if (tx->Checked()) {
    sLabel1->SetVisible(true);
    shijian->SetVisible(true);
    shijian->SetFocus();
  } else {
    sLabel1->SetVisible(false);
    shijian->SetVisible(false);
    shijian->SetText("");
  }
}

void TFrm_Tamiro::sRadioButton2Change(TObject*) { DateTime_Date->SetEnabled(true); }
void TFrm_Tamiro::sRadioButton1Change(TObject*) { DateTime_Date->SetEnabled(false); }
void TFrm_Tamiro::sRadioButton3Change(TObject*) { DateTime_Date->SetEnabled(false); }
void TFrm_Tamiro::sRadioButton4Change(TObject*) { DateTime_Date->SetEnabled(false); }
