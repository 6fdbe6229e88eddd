#include "charts/RangeCheck.h"

#include "core/Strutil.h"

namespace {

const char* const numberMessages[RangeFieldCount] = {
    "Error : The value for the pressure high range must be a number",
    "Error : The value for the pressure low range must be a number",
    "Error : The value for the altitude high range must be a number",
    "Error : The value for the altitude low range must be a number",
    "Error : The value for the temperature high range must be a number",
    "Error : The value for the temperature low range must be a number",
    "Error : The value for the humidity high range must be a number",
    "Error : The value for the humidity low range must be a number",
    "Error : The value for the temperature high range must be a number",
    "Error : The value for the temperature low range must be a number",
};

struct Tpair {
    TrangeField high, low;
    const char* message;
};

const Tpair pairs[] = {
    {ed_th, ed_tl, "Error : The high temperature range must be bigger than the low limit"},
    {ed_ph, ed_pl, "Error : The high pressure range must be bigger than the low limit"},
    {ed_ah, ed_al, "Error : The high altitude range must be bigger than the low limit"},
    {ed_hh, ed_hl, "Error : The high humidity range must be bigger than the low limit"},
    {ed_thh, ed_thl, "Error : The high temperature range must be bigger than the low limit"},
};

} // namespace

TrangeCheck checkRangeFields(const std::array<std::string, RangeFieldCount>& fields) {
    TrangeCheck check;
    for (int i = 0; i < RangeFieldCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (readDecimal(fields[index].c_str(), &check.values[index]))
            check.errors.emplace_back(numberMessages[i]);
    }
    for (const Tpair& pair : pairs)
        if (check.values[pair.high] < check.values[pair.low])
            check.errors.emplace_back(pair.message);
    return check;
}
