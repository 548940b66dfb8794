// The documentation's screenshot of the main window.
#include "platform/qt/QtScreenshot.h"

#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "platform/qt/QtBackend.h"
#include "platform/vcl/Forms.h"

bool ScheduleScreenshot(QtBackend& backend, TForm& form, std::function<void()> unfold) {
  QString path = qEnvironmentVariable("TAMIRO_SCREENSHOT");
  if (path.isEmpty()) return false;
  bool unfolded = qEnvironmentVariable("TAMIRO_SCREENSHOT_UNFOLD") == QLatin1String("1");
  bool pageGiven = false;
  int page = qEnvironmentVariableIntValue("TAMIRO_SCREENSHOT_PAGE", &pageGiven);
  QTimer::singleShot(1000, [&backend, &form, path, unfolded, unfold, page, pageGiven] {
    if (unfolded && unfold) unfold();
    QWidget* window = backend.WindowOf(form);
    if (auto* tabs = window ? window->findChild<QTabWidget*>() : nullptr; tabs && pageGiven) tabs->setCurrentIndex(page);
    // Let the new height and the pages settle before the grab.
    QTimer::singleShot(300, [&backend, &form, path] {
      QWidget* window = backend.WindowOf(form);
      if (!window || !window->grab().save(path, "PNG")) std::fprintf(stderr, "screenshot failed: %s\n", qPrintable(path));
      backend.Quit();
    });
  });
  return true;
}
