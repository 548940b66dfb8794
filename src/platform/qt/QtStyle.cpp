// Fonts and the style sheet of the skinned look.
#include "platform/qt/QtStyle.h"

#include <QApplication>
#include <QLocale>
#include <QStringList>
#include <QStyleFactory>

namespace {

// Faces that carry Chinese, for every character the first face lacks.
QStringList CjkFaces() {
  return {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
          QStringLiteral("Source Han Sans SC"), QStringLiteral("Droid Sans Fallback"), QStringLiteral("sans-serif")};
}

}  // namespace

// Latin faces first, Chinese from the CJK faces, at a pixel size so the layout's boxes hold
// their texts at any screen resolution.
static QFont FaceAt(const QStringList& latinFaces, int pixels) {
  QFont font;
  font.setFamilies(latinFaces + CjkFaces());
  font.setPixelSize(pixels);
  return font;
}

QFont CjkFont() { return FaceAt({}, 12); }

// The window's face stands in for an 8-point sans serif of 11-pixel characters: a face with
// the same widths as the usual sans serif of the desk (narrow digits, so a whole time stamp
// fits its column), Chinese from the CJK faces at the same pixel size.
QFont WindowFont() {
  return FaceAt({QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")}, 11);
}

// The pages' 9-point Song face of 12-pixel characters: at 11 pixels the Chinese glyphs stand
// 12 pixels high, as the labels' boxes were measured for, and a narrow Latin face keeps to the
// half-width letters of that face, so an address fits its link label.
QFont PageFont() {
  return FaceAt({QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("Liberation Sans Narrow"),
                 QStringLiteral("Arial Narrow")},
                11);
}

namespace {

// Buttons: grey to white, and four bands under the mouse; the status bar: grey, silver,
// white and back to grey; group boxes: a silver frame with round corners. Text colours are
// left to the palettes, which show the colours the controls hold (a red armed button). The
// tab strip is as low as the XP-style one, so the pages hold their controls above the
// status bar.
const char* const kStyleSheet = R"(
QPushButton {
  border: 1px solid #808080; border-radius: 3px; padding: 0px;
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
QTabBar::tab {
  height: 17px; padding: 0px 6px; margin-right: 1px; border: 1px solid #a0a0a0; border-bottom: none;
  border-top-left-radius: 3px; border-top-right-radius: 3px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #dcdcdc);
}
QTabBar::tab:selected { background: #ffffff; border-color: #808080; }
QTabBar::tab:!selected:hover { background: #f4f4f4; }
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
