#include "links/Serial_enum.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

struct Family {
    int firstCom;
    const char* device;
};

// 32 numbers per family, device index = COM number - firstCom.
constexpr Family Families[] = {{1, "ttyS"}, {33, "ttyUSB"}, {65, "ttyACM"}, {97, "ttyAMA"}};
constexpr int FamilySize = 32;

TserialRoots& currentRoots() {
    static TserialRoots roots;
    return roots;
}

bool isCharDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// A directory that only the current user can change, so that its links can be trusted.
bool isPrivateDir(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// sysfs "type" of a serial-core port: 0 means no UART answered at that address.
int sysfsUartType(const std::string& ttyDir) {
    std::ifstream in(ttyDir + "/type");
    int type = -1;
    if (!(in >> type)) return -1;
    return type;
}

// Asks the device itself when sysfs has no "type" attribute.
bool deviceHasUart(const std::string& devicePath) {
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    serial_struct info{};
    const bool known = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return known;
}

// A tty counts when sysfs shows a device behind it and its node exists; the legacy 8250 ports
// exist on most machines whether or not a UART is fitted, so they also need a known UART type.
bool ttyPresent(const TserialRoots& roots, const char* family, int index) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%d", family, index);
    const std::string ttyDir = roots.sysfs + "/class/tty/" + name;
    const std::string node = roots.dev + "/" + name;
    if (!exists(ttyDir + "/device") || !exists(node)) return false;
    if (std::strcmp(family, "ttyS") != 0) return true;
    const int type = sysfsUartType(ttyDir);
    return type > 0 || (type < 0 && deviceHasUart(node));
}

// An emulator holds COMn.lock for as long as it runs. A link left behind by one that was killed
// may name a pty that the system has since given to a terminal, so it does not count.
bool lockHeld(const std::string& lockPath) {
    const int fd = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

bool emulatedPresent(const TserialRoots& roots, int number) {
    if (!isPrivateDir(roots.emulated)) return false;
    const std::string link = roots.emulated + "/COM" + std::to_string(number);
    return isCharDevice(link) && lockHeld(link + ".lock");
}

} // namespace

std::string TserialRoots::defaultEmulatedDir() {
    return "/tmp/corvasine-com-" + std::to_string(::getuid());
}

const TserialRoots& serialRoots() {
    return currentRoots();
}

void setSerialRoots(const TserialRoots& roots) {
    currentRoots() = roots;
}

int comNumber(const char* name) {
    if (!name || std::strncmp(name, "COM", 3) != 0) return 0;
    int number = 0;
    const char* p = name + 3;
    if (!std::isdigit(static_cast<unsigned char>(*p)) || *p == '0') return 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
        number = number * 10 + (*p - '0');
        if (number > 255) return 0;
    }
    return *p == '\0' ? number : 0;
}

std::string comDevicePath(const char* name, const TserialRoots& roots) {
    const int number = comNumber(name);
    if (number == 0) return {};
    if (number >= FirstEmulatedCom) return roots.emulated + "/COM" + std::to_string(number);
    for (const Family& family : Families) {
        const int index = number - family.firstCom;
        if (index >= 0 && index < FamilySize)
            return roots.dev + "/" + family.device + std::to_string(index);
    }
    return {};
}

struct Tserial_enum::Impl {
    TserialRoots roots;
};

Tserial_enum::Tserial_enum(const TserialRoots& roots) : impl(std::make_unique<Impl>(Impl{roots})) {}

Tserial_enum::~Tserial_enum() = default;

void Tserial_enum::enumerate() {
    std::memset(present, 0, sizeof present);
    if (!impl) return;
    for (const Family& family : Families)
        for (int index = 0; index < FamilySize; ++index)
            if (ttyPresent(impl->roots, family.device, index)) present[family.firstCom + index] = 1;
    for (int number = FirstEmulatedCom; number <= LastEmulatedCom; ++number)
        if (emulatedPresent(impl->roots, number)) present[number] = 1;
}
