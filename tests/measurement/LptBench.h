#pragma once

#include "emulator/LptModuleEmulator.h"
#include "links/PortIO.h"

#include <cstdint>

// The emulated LPT module, installed as the port I/O of every driver built while it lives.
struct LptBench {
    explicit LptBench(TvirtualLoop& loop, Tqx4180Model model = Tqx4180Model())
        : module([&loop] { return loop.now(); }, model) {
        setPortIO(&module);
    }
    ~LptBench() { setPortIO(nullptr); }
    LptBench(const LptBench&) = delete;
    LptBench& operator=(const LptBench&) = delete;

    TlptModuleEmulator module;
};
