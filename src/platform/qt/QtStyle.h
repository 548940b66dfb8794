// The look of the window: a CJK font, the skinned buttons and bars, Chinese locale.
#pragma once

#include <QFont>

class QApplication;

// The 12 px font of boxes and dialogs, from a list of faces that carry Chinese.
QFont CjkFont();
// The controls' fonts: the window's, and the one of the page control and everything on its
// pages; both by pixel size, whatever the screen's resolution.
QFont WindowFont();
QFont PageFont();
// Style, font, style sheet and locale for the whole application.
void ApplyLook(QApplication& app);
