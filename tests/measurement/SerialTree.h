#pragma once

#include "links/Serial_enum.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A private sysfs and /dev tree in which COM1..COM32 stand for whatever device a test names
// (a pty's slave side, a plain file, nothing). Installed as the serial roots while it lives.
class SerialTree {
public:
    SerialTree() : previous(serialRoots()) {
        char pattern[] = "/tmp/corv-measurement-XXXXXX";
        root = ::mkdtemp(pattern);
        std::filesystem::create_directories(root + "/sys/class/tty");
        std::filesystem::create_directories(root + "/dev");
        setSerialRoots({root + "/sys", root + "/dev", root + "/emulated"});
    }
    ~SerialTree() {
        setSerialRoots(previous);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    SerialTree(const SerialTree&) = delete;
    SerialTree& operator=(const SerialTree&) = delete;

    // COM<com> (1..32) becomes a UART whose device node points at `target`.
    void addUart(int com, const std::string& target) {
        const std::string tty = "ttyS" + std::to_string(com - 1);
        std::filesystem::create_directories(root + "/sys/class/tty/" + tty + "/device");
        std::ofstream(root + "/sys/class/tty/" + tty + "/type") << "4\n";
        link(com, target);
    }
    // Only the device node: without sysfs the port does not count as present.
    void link(int com, const std::string& target) {
        unlink(com);
        std::filesystem::create_symlink(target, node(com));
    }
    // The device node goes, as with an adapter pulled out.
    void unlink(int com) { std::filesystem::remove(node(com)); }
    // A plain file that opens but refuses every line setting.
    std::string plainFile(const char* name) {
        const std::string path = root + "/" + name;
        std::ofstream(path) << "";
        return path;
    }

private:
    std::string node(int com) const { return root + "/dev/ttyS" + std::to_string(com - 1); }

    TserialRoots previous;
    std::string root;
};
