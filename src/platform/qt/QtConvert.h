// Conversions between the control layer's values and Qt's: text, pictures, colours, dates.
#pragma once

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QIcon>
#include <QImage>
#include <QString>
#include <QTime>
#include <optional>
#include <string>

#include "platform/rtl/DateTime.h"
#include "platform/vcl/Graphics.h"

inline QString ToQ(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
inline std::string FromQ(const QString& text) { return text.toUtf8().toStdString(); }

// Straight ARGB pixels as an image (an empty picture gives a null image).
QImage ToImage(const TBitmap& picture);
QIcon ToIcon(const TBitmap& picture);

// A plain RGB colour; nothing for the system colours, which keep the palette's.
std::optional<QColor> ToColor(TColor color);

// The days-since-1899 value of a local date and time, to the millisecond.
TDateTime FromQDateTime(const QDateTime& moment);
QDate ToQDate(TDateTime value);
QTime ToQTime(TDateTime value);
TDateTime FromQDate(const QDate& date);
TDateTime FromQTime(const QTime& time);

// "Text files|*.txt;*.log|All|*.*" → "Text files (*.txt *.log);;All (*.*)".
QString ToQtFilter(const std::string& filter);
