#include "charts/LogDateTime.h"

#include <gtest/gtest.h>

namespace {
const QDateTime evening(QDate(2001, 2, 20), QTime(22, 44, 55));

std::string textIn(const char* locale) {
    return logDateTimeText(QLocale(locale), evening);
}
} // namespace

TEST(LogDateTime, LocaleShortDateAndLongTimeWithoutTheZoneName) {
    EXPECT_EQ(textIn("en_US"), "2/20/01 10:44:55 PM");
    EXPECT_EQ(textIn("de_DE"), "20.02.01 22:44:55");
    EXPECT_EQ(textIn("zh_CN"), "2001/2/20 22:44:55");       // its zone name stands before the time
    EXPECT_EQ(textIn("ca_ES"), "20/2/01 22:44:55");         // nor the brackets around it
    EXPECT_EQ(textIn("nds_DE"), "20.02.01 Klock 22.44:55"); // quoted words stay
    EXPECT_EQ(textIn("fr_CA"), "2001-02-20 22 h 44 min 55 s");
}

TEST(LogDateTime, TextsOutsideTheFileEncodingFallBackToNumericCForms) {
    EXPECT_EQ(textIn("ja_JP"), "2001/02/20 22:44:55"); // its date fits, its time does not
    EXPECT_EQ(textIn("ar_EG"), "02/20/01 22:44:55");   // neither fits (Arabic digits)
    EXPECT_EQ(textIn("fa_IR"), "02/20/01 22:44:55");
}

TEST(LogDateTime, Latin1LettersAreSingleBytes) {
    EXPECT_EQ(textIn("tr_CY"), "20.02.2001 10:44:55 \xD6S");
}
