// The documentation's screenshot of the main window.
#include "platform/qt/QtScreenshot.h"

#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "platform/qt/QtBackend.h"
#include "platform/vcl/Forms.h"

bool ScheduleScreenshot(QtBackend& backend, TForm& form, std::function<void()> unfold) {
  QString path = qEnvironmentVariable("TAMIRO_SCREENSHOT");
  if (path.isEmpty()) return false;
  bool unfolded = qEnvironmentVariable("TAMIRO_SCREENSHOT_UNFOLD") == QLatin1String("1");
  QTimer::singleShot(1000, [&backend, &form, path, unfolded, unfold] {
    if (unfolded && unfold) unfold();
    // Let the new height and the pages settle before the grab.
    QTimer::singleShot(300, [&backend, &form, path] {
      QWidget* window = backend.WindowOf(form);
      if (!window || !window->grab().save(path, "PNG")) std::fprintf(stderr, "screenshot failed: %s\n", qPrintable(path));
      backend.Quit();
    });
  });
  return true;
}
