#include "emulator/PortPublisher.h"

#include "links/Serial_enum.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

TportPublisher::TportPublisher(std::string directory) : dir(std::move(directory)) {}

TportPublisher::~TportPublisher() {
    withdraw();
    if (lockFd >= 0) {
        ::unlink((linkPath() + ".lock").c_str());
        ::close(lockFd);
    }
}

std::string TportPublisher::linkPath() const {
    return dir + "/COM" + std::to_string(claimed);
}

// The directory must belong to the user and be closed to others, or the enumeration ignores it.
bool TportPublisher::prepareDirectory() const {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    return ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool TportPublisher::tryClaim(int candidate) {
    const std::string lock = dir + "/COM" + std::to_string(candidate) + ".lock";
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    lockFd = fd;
    claimed = candidate;
    ::unlink(linkPath().c_str()); // a link left by an emulator that died
    return true;
}

int TportPublisher::claim(int wanted) {
    if (claimed != 0) return claimed;
    if (!prepareDirectory()) return 0;
    if (wanted != 0)
        return wanted >= FirstEmulatedCom && wanted <= LastEmulatedCom && tryClaim(wanted) ? claimed
                                                                                           : 0;
    for (int n = FirstEmulatedCom; n <= LastEmulatedCom; ++n)
        if (tryClaim(n)) return claimed;
    return 0;
}

bool TportPublisher::publish(const std::string& target) {
    if (claimed == 0) return false;
    ::unlink(linkPath().c_str());
    return ::symlink(target.c_str(), linkPath().c_str()) == 0;
}

void TportPublisher::withdraw() {
    if (claimed != 0) ::unlink(linkPath().c_str());
}
