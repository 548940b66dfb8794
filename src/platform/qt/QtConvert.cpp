// Conversions between the control layer's values and Qt's.
#include "platform/qt/QtConvert.h"

#include <QPixmap>
#include <QStringList>
#include <cmath>

QImage ToImage(const TBitmap& picture) {
  if (picture.Empty() || picture.Pixels.size() < static_cast<size_t>(picture.Width) * picture.Height) return {};
  QImage image(picture.Width, picture.Height, QImage::Format_ARGB32);
  for (int y = 0; y < picture.Height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < picture.Width; ++x) row[x] = picture.Pixels[static_cast<size_t>(y) * picture.Width + x];
  }
  return image;
}

QIcon ToIcon(const TBitmap& picture) {
  QImage image = ToImage(picture);
  return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

std::optional<QColor> ToColor(TColor color) {
  if (color & 0xFF000000u) return std::nullopt;
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

namespace {
const QDate kDayZero(1899, 12, 30);
}

TDateTime FromQDate(const QDate& date) { return static_cast<double>(kDayZero.daysTo(date)); }

TDateTime FromQTime(const QTime& time) { return time.msecsSinceStartOfDay() / kMsPerDay; }

TDateTime FromQDateTime(const QDateTime& moment) { return FromQDate(moment.date()) + FromQTime(moment.time()); }

// Rounded to the millisecond first, as the date-time helpers decode, so 23:59:59.9996 is the next day.
QDate ToQDate(TDateTime value) {
  long long ms = std::llround(value * kMsPerDay);
  long long days = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
  return kDayZero.addDays(days);
}

QTime ToQTime(TDateTime value) {
  long long ms = std::llround(value * kMsPerDay) % 86400000;
  if (ms < 0) ms += 86400000;
  return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

QString ToQtFilter(const std::string& filter) {
  QStringList parts = ToQ(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) p = p.trimmed();
    entries << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return entries.join(QStringLiteral(";;"));
}
