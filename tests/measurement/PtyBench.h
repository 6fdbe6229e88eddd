#pragma once

#include "SerialTree.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"

#include <memory>

// A serial module on a pty, reachable as COM<com> of the tree; a port that is not `present`
// has its device node but no UART in sysfs.
struct PtyBench {
    PtyBench(SerialTree& tree, int com, TmoduleConditions conditions = {}, bool present = true)
        : module(Tqx4180Model(Tqx4180Coefficients{19800, 2400, 410, 395, 1170, 28})), pty(module) {
        module.setConditions(conditions);
        if (!pty.plug()) return;
        if (present)
            tree.addUart(com, pty.slavePath());
        else
            tree.link(com, pty.slavePath());
    }
    TserialModule module;
    TptyModule pty;
};
