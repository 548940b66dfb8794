// Fonts and the style sheet of the skinned look.
#include "platform/qt/QtStyle.h"

#include <QApplication>
#include <QLocale>
#include <QStyleFactory>

QFont CjkFont() {
  QFont font;
  font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                    QStringLiteral("Noto Sans SC"), QStringLiteral("Source Han Sans SC"),
                    QStringLiteral("Droid Sans Fallback"), QStringLiteral("sans-serif")});
  font.setPixelSize(12);
  return font;
}

namespace {

// Buttons: grey to white, and four bands under the mouse; the status bar: grey, silver,
// white and back to grey; group boxes: a silver frame with round corners.
const char* const kStyleSheet = R"(
QPushButton {
  border: 1px solid #808080; border-radius: 3px; padding: 0px; color: black;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #a0a0a0);
}
QPushButton:hover {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #808080, stop:0.3 #ffffff,
                              stop:0.7 #a2a2a2, stop:1 #d2d2d2);
}
QPushButton:pressed { background: #a2a2a2; }
QPushButton:disabled { color: #8c8c8c; border-color: #b0b0b0; }
QPushButton:focus { border-color: #404040; }
QGroupBox {
  border: 1px solid #c0c0c0; border-radius: 5px; margin-top: 6px; color: black;
}
QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 8px; padding: 0 2px; }
QFrame[role="statusbar"] {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #a0a0a0, stop:0.3 #c0c0c0,
                              stop:0.6 #ffffff, stop:1 #a0a0a0);
}
QLabel[role="panel"] { border: 1px solid #909090; border-top-color: #707070; background: transparent; }
QTreeWidget { background: white; border: 1px solid #a0a0a0; }
QTreeWidget::item { border-right: 1px solid #d4d4d4; border-bottom: 1px solid #d4d4d4; }
QTreeWidget::item:selected { background: #3169c6; color: white; }
)";

}  // namespace

void ApplyLook(QApplication& app) {
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
  app.setFont(CjkFont());
  app.setStyleSheet(QString::fromLatin1(kStyleSheet));
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}
