#include "charts/LogDateTime.h"

namespace {

// `format` without its time-zone fields ("t" to "tttt" outside quoted text), and without the
// brackets and blanks that only framed them.
QString withoutZone(const QString& format) {
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == '\'') quoted = !quoted;
        if (quoted || c != 't') kept += c;
    }
    kept.remove("()");
    kept.remove("[]");
    return kept.simplified();
}

bool fitsLatin1(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 0xFF) return false;
    return true;
}

// `text` when it fits the file's encoding, else `when` in the C locale's numeric `fallback`.
template <typename T> QString encodable(const QString& text, const T& when, const char* fallback) {
    return fitsLatin1(text) ? text : QLocale::c().toString(when, QString(fallback));
}

} // namespace

std::string logDateTimeText(const QLocale& locale, const QDateTime& when) {
    const QDate date = when.date();
    const QTime time = when.time();
    const QString dateText =
        encodable(locale.toString(date, locale.dateFormat(QLocale::ShortFormat)), date, "MM/dd/yy");
    const QString timeText =
        encodable(locale.toString(time, withoutZone(locale.timeFormat(QLocale::LongFormat))), time,
                  "HH:mm:ss");
    return (dateText + ' ' + timeText).toLatin1().toStdString();
}
