#include "logger/archive/DataFileText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <ctime>
#include <optional>

namespace {

// The markers the data file writes for a value the module did not give.
constexpr double NoPressure = 9999.9, NoTemperature = 999.9;

enum class Torder { YearMonthDay, DayMonthYear, MonthDayYear };

// The numbers of a date and time field, and what tells its order.
struct TdateTime {
    int n[6] = {};
    int firstDigits = 0;
    char separator = 0; // after the first number
    int afternoon = -1; // -1 no AM/PM, 0 AM, 1 PM
};

// A month's English abbreviation ("Feb", as the C locale writes it): 1 ... 12; else 0.
int monthOfName(const std::string& word) {
    static const char* const names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 0; m < 12; ++m)
        if (word == names[m]) return m + 1;
    return 0;
}

bool isLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Six numbers (a month name counts as its number), AM or PM; other letters and marks apart.
std::optional<TdateTime> splitDateTime(const std::string& text) {
    TdateTime d;
    int count = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i + 1;
        while (end < text.size() &&
               (isDigit(text[i]) ? isDigit(text[end]) : isLetter(text[i]) && isLetter(text[end])))
            ++end;
        const std::string word = text.substr(i, end - i);
        const int month = monthOfName(word);
        if ((isDigit(text[i]) || month) && (count == 6 || word.size() > 4)) return std::nullopt;
        if (isDigit(text[i])) {
            if (count == 0) d.firstDigits = int(word.size());
            if (count == 0 && end < text.size()) d.separator = text[end];
            d.n[count++] = std::stoi(word);
        } else if (month) {
            d.n[count++] = month;
        } else if (word == "AM" || word == "PM") {
            d.afternoon = word == "PM";
        }
        i = end;
    }
    if (count != 6) return std::nullopt;
    return d;
}

Torder orderOf(const std::vector<TdateTime>& all) {
    if (all.empty() || all.front().firstDigits == 4) return Torder::YearMonthDay;
    for (const TdateTime& d : all) {
        if (d.n[0] > 12) return Torder::DayMonthYear;
        if (d.n[1] > 12) return Torder::MonthDayYear;
    }
    const TdateTime& d = all.front();
    if (d.separator == '.' || (d.afternoon < 0 && d.n[2] >= 100)) return Torder::DayMonthYear;
    return Torder::MonthDayYear;
}

std::optional<std::int64_t> timeOf(const TdateTime& d, Torder order) {
    std::tm t{};
    const int* n = d.n;
    const int year = order == Torder::YearMonthDay ? n[0] : n[2];
    t.tm_year = (year < 100 ? 2000 + year : year) - 1900;
    t.tm_mon = (order == Torder::MonthDayYear ? n[0] : n[1]) - 1;
    t.tm_mday = order == Torder::YearMonthDay ? n[2] : order == Torder::DayMonthYear ? n[0] : n[1];
    t.tm_hour = d.afternoon < 0 ? n[3] : n[3] % 12 + 12 * d.afternoon;
    t.tm_min = n[4];
    t.tm_sec = n[5];
    t.tm_isdst = -1;
    if (t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_mday > 31 || n[3] > 23 ||
        (d.afternoon >= 0 && (n[3] < 1 || n[3] > 12)) || t.tm_min > 59 || t.tm_sec > 60)
        return std::nullopt;
    return std::int64_t(std::mktime(&t));
}

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find(';', start)) != std::string::npos; start = end + 1)
        fields.push_back(line.substr(start, end - start));
    fields.push_back(line.substr(start));
    return fields;
}

template <class T> bool number(const std::string& text, T& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end;
}

// The values of a sample line after its date and time; false for anything else.
bool readValues(const std::vector<std::string>& f, double seaLevelOffset, Treading& r) {
    double p = 0, t = 0, a = 0, h = 0, ht = 0;
    if ((f.size() != 6 && f.size() != 8) || !number(f[1], r.D1) || !number(f[2], r.D2) ||
        !number(f[3], p) || !number(f[4], t) || !number(f[5], a) ||
        (f.size() == 8 && (!number(f[6], h) || !number(f[7], ht))))
        return false;
    if (p > 0 && p < NoPressure - 0.05) {
        r.pressure = p;
        r.seaLevelPressure = p + seaLevelOffset;
        r.altitude = a;
    }
    if (t < NoTemperature - 0.05) r.temperature = t;
    if (h > 0 && h < 999) {
        r.humidity = h;
        r.humidityTemperature = ht;
    }
    return true;
}

// "#    Pressure difference to sea level = 12.1 [mbar]": the offset of the samples after it.
void readHeaderLine(const std::string& line, double& seaLevelOffset) {
    static const std::string label = "Pressure difference to sea level = ";
    const std::size_t at = line.find(label);
    if (at == std::string::npos) return;
    const std::string rest = line.substr(at + label.size());
    number(rest.substr(0, rest.find(' ')), seaLevelOffset);
}

struct Tsample {
    int line;
    TdateTime when;
    Treading reading;
};

} // namespace

TdataFileContents readDataFileText(const std::string& text) {
    TdataFileContents out;
    std::vector<Tsample> samples;
    double offset = 0;
    int number = 0;
    for (std::size_t start = 0; start < text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') {
            readHeaderLine(line, offset);
            continue;
        }
        const std::vector<std::string> fields = fieldsOf(line);
        const std::optional<TdateTime> when = splitDateTime(fields[0]);
        Tsample s{number + 1, when.value_or(TdateTime{}), {}};
        if (when && readValues(fields, offset, s.reading))
            samples.push_back(s);
        else
            out.unreadable.push_back(number + 1);
    }
    std::vector<TdateTime> dates;
    for (const Tsample& s : samples)
        dates.push_back(s.when);
    const Torder order = orderOf(dates);
    for (Tsample& s : samples) {
        const std::optional<std::int64_t> time = timeOf(s.when, order);
        if (!time) {
            out.unreadable.push_back(s.line);
            continue;
        }
        s.reading.time = *time;
        if (s.reading.measured())
            out.readings.push_back(s.reading);
        else
            ++out.withoutMeasurement;
    }
    std::sort(out.unreadable.begin(), out.unreadable.end());
    return out;
}
