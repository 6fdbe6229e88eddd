#pragma once

#include "SerialTree.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"

#include <memory>

// A serial module on a pty, reachable as COM<com> of the tree; a port that is not `present`
// has its device node but no UART in sysfs.
struct PtyBench {
    PtyBench(SerialTree& tree, int com, TmoduleConditions conditions = {}, bool present = true)
        : tree(tree), com(com),
          module(Tqx4180Model(Tqx4180Coefficients{19800, 2400, 410, 395, 1170, 28})), pty(module) {
        module.setConditions(conditions);
        if (!pty.plug()) return;
        if (present)
            tree.addUart(com, pty.slavePath());
        else
            tree.link(com, pty.slavePath());
    }
    // The pty goes and its device node with it: the freed pty number may go to another
    // program's pty at once, which a node left behind would then lead to.
    void unplug() {
        pty.unplug();
        tree.unlink(com);
    }
    SerialTree& tree;
    int com;
    TserialModule module;
    TptyModule pty;
};
