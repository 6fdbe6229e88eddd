#pragma once

#include "display/SettingsStore.h"

#include <string>

class TmainDisplay;

// The logger's settings file. The main sequence asks for the settings at every search; the
// logger reads its file at the first search only, and again when it is told to reload, so that
// searching again after a loss stays quiet.
class TloggerSettings : public TsettingsStore {
public:
    TloggerSettings(TmainDisplay& display, std::string fileName)
        : display(display), file(std::move(fileName)) {}

    void loadStartupSettings() override {
        if (!loaded) reload();
    }
    // Reads the file now and applies it.
    void reload();

private:
    TmainDisplay& display;
    std::string file;
    bool loaded = false;
};
