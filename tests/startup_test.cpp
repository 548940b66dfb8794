// The window's start-up, folding, About links, close question and farewell.
#include "TamiroFixture.h"

#include "platform/rtl/Text.h"

namespace {

class StartupTest : public TamiroTest {};

TEST_F(StartupTest, OpensFoldedCentredAndCaptionedWithTheVersion) {
  StartAt("2026-03-02 08:15:30");
  EXPECT_EQ(F().Caption(), "Velora  V 1.2.0.105 正式版");
  EXPECT_EQ(F().Label3->Caption(), "V 1.2.0.105 正式版");
  EXPECT_EQ(F().Height(), 292);
  EXPECT_EQ(F().ClientWidth(), 534);
  EXPECT_EQ(F().Left(), (1920 - F().Width()) / 2);
  EXPECT_EQ(F().Top(), 200);
  EXPECT_EQ(F().sBar->Panels(0)->Text(), "现在时间：2026-03-02 08:15:30");
  EXPECT_EQ(F().DateTime_Date->Date(), Moment("2026-03-02 00:00:00"));
  EXPECT_EQ(FormatDateTime("HH:NN:SS", F().DateTime_Time->Time()), "08:15:30");
  EXPECT_EQ(F().nzls->Text(), ProgramDir() + "nl.mp3");
  EXPECT_EQ(F().zdls->Text(), ProgramDir() + "zd.mp3");
  EXPECT_FALSE(F().numzz->Enabled());
  EXPECT_TRUE(F().numqd->Enabled());
  EXPECT_EQ(F().ShutdownMode, 0);
}

}  // namespace
