#pragma once

// Loads the settings file at the start of every module search. Reached through
// theSystem.settings; null means nothing is loaded.
class TsettingsStore {
public:
    virtual ~TsettingsStore() = default;
    // Reads "setup.ini" from the current directory and applies it.
    virtual void loadStartupSettings() = 0;
};
