#include "display/BuildDate.h"

#include "display/BuildDateValue.h"

std::string buildDate() {
    return CORV_BUILD_DATE;
}
