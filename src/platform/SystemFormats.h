#pragma once

#include <QChar>
#include <QDateTime>
#include <QString>

// The workstation's number and date formats. Tests set them explicitly so that
// results do not depend on the machine's locale.
namespace SystemFormats {
QChar decimalSeparator();
QString shortDateFormat(); // Qt date format, for example "dd/MM/yyyy"
QString longTimeFormat();  // Qt time format, for example "HH:mm:ss"

void setDecimalSeparator(QChar c);
void setShortDateFormat(const QString &format);
void setLongTimeFormat(const QString &format);
void resetToSystem();

// Short date, a blank and long time; the time is left out at exactly midnight.
QString formatDateTime(const QDateTime &moment);
} // namespace SystemFormats
