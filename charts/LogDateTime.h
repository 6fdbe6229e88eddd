#pragma once

#include <QDateTime>
#include <QLocale>

#include <string>

// The data file's date-time text of `when`: the locale's short date, one blank and its long time,
// without the time-zone name the toolkit's long format appends. A part whose text cannot be
// written in the file's 8-bit encoding (Latin-1) is written in the C locale's numeric form
// instead ("02/20/01", "22:44:55"), so the file never holds a "?" for a character.
std::string logDateTimeText(const QLocale& locale, const QDateTime& when);
