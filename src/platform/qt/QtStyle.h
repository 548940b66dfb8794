// The look of the window: a CJK font, the skinned buttons and bars, Chinese locale.
#pragma once

#include <QFont>

class QApplication;

// The 9 pt (12 px) font every control uses, from a list of faces that carry Chinese.
QFont CjkFont();
// Style, font, style sheet and locale for the whole application.
void ApplyLook(QApplication& app);
