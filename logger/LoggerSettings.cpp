#include "logger/LoggerSettings.h"

#include "display/TmainDisplay.h"

void TloggerSettings::reload() {
    loaded = true;
    display.readSettings(file);
}
