#pragma once

// Loads the settings file at the start of every module search: the main sequence's part, the
// station in the programs; null means nothing is loaded.
class TsettingsStore {
public:
    virtual ~TsettingsStore() = default;
    // Reads the settings file and applies it.
    virtual void loadStartupSettings() = 0;
};
