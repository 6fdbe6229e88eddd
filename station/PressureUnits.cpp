#include "station/PressureUnits.h"

#include "station/Fixedtext.h"

#include <array>
#include <string_view>

namespace {

struct TpressureName {
    std::string_view name;
    TunitChoice::Pressure unit;
};

constexpr std::array pressureNames{
    TpressureName{"hPa", TunitChoice::Pressure::hPa},
    TpressureName{"mbar", TunitChoice::Pressure::hPa},
    TpressureName{"inHg", TunitChoice::Pressure::inHg},
    TpressureName{"mmHg", TunitChoice::Pressure::mmHg},
    TpressureName{"kPa", TunitChoice::Pressure::kPa},
};

} // namespace

bool TunitChoice::parse(const std::string& list) {
    bool pressureSeen = false, temperatureSeen = false, altitudeSeen = false;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        const std::string_view word(list.data() + start, comma - start);
        bool known = false;
        for (const TpressureName& p : pressureNames)
            if (word == p.name && !pressureSeen) {
                pressureUnitChosen = p.unit;
                pressureSeen = known = true;
            }
        if ((word == "C" || word == "F") && !temperatureSeen) {
            temperatureUnitChosen = word == "C" ? Temperature::C : Temperature::F;
            temperatureSeen = known = true;
        }
        if ((word == "m" || word == "ft") && !altitudeSeen) {
            altitudeUnitChosen = word == "m" ? Altitude::m : Altitude::ft;
            altitudeSeen = known = true;
        }
        if (!known) return false;
        start = comma + 1;
    }
    return true;
}

double TunitChoice::pressure(double hPa) const {
    switch (pressureUnitChosen) {
    case Pressure::inHg: return hPa / hPaPerInHg;
    case Pressure::mmHg: return hPa / hPaPerMmHg;
    case Pressure::kPa: return hPa / 10;
    case Pressure::hPa: break;
    }
    return hPa;
}

double TunitChoice::temperature(double celsius) const {
    return temperatureUnitChosen == Temperature::F ? celsius * 9 / 5 + 32 : celsius;
}

double TunitChoice::altitude(double metres) const {
    return altitudeUnitChosen == Altitude::ft ? metres / metresPerFoot : metres;
}

const char* TunitChoice::pressureUnit() const {
    constexpr std::array names{"hPa", "inHg", "mmHg", "kPa"};
    return names[static_cast<std::size_t>(pressureUnitChosen)];
}

int TunitChoice::pressureDecimals() const {
    constexpr std::array decimals{1, 2, 1, 2};
    return decimals[static_cast<std::size_t>(pressureUnitChosen)];
}

std::string TunitChoice::pressureText(double hPa) const {
    std::string text = formatFixed(pressure(hPa), pressureDecimals());
    return text + " " + pressureUnit();
}

std::string TunitChoice::pressureChangeText(double hPa) const {
    const int decimals = pressureDecimals() + (pressureUnitChosen == Pressure::hPa ? 0 : 1);
    std::string text = hPa > 0 ? "+" : "";
    text += formatFixed(pressure(hPa), decimals);
    return text + " " + pressureUnit();
}

std::string TunitChoice::temperatureText(double celsius) const {
    std::string text = formatFixed(temperature(celsius), 1);
    return text + (temperatureUnitChosen == Temperature::F ? " °F" : " °C");
}

std::string TunitChoice::altitudeText(double metres) const {
    std::string text = formatFixed(altitude(metres), 0);
    return text + (altitudeUnitChosen == Altitude::ft ? " ft" : " m");
}
