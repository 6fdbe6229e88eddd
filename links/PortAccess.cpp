#include "links/PortAccess.h"

#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace {

std::mutex problemsMutex;
std::map<std::string, std::string>& problems() {
    static std::map<std::string, std::string> byPort;
    return byPort;
}

std::string groupName(gid_t gid) {
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return std::to_string(gid);
    return found->gr_name;
}

bool inGroup(gid_t gid) {
    if (::getegid() == gid) return true;
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int n = ::getgroups(static_cast<int>(groups.size()), groups.data());
    return std::find(groups.begin(), groups.begin() + std::max(n, 0), gid) != groups.end();
}

// The group that may read and write the device, when its mode lets a member do so and this
// process is not one.
std::string missingGroup(const std::string& devicePath) {
    struct stat st {};
    if (::stat(devicePath.c_str(), &st) != 0) return {};
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) return {};
    return inGroup(st.st_gid) ? std::string() : groupName(st.st_gid);
}

} // namespace

int lockPort(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    return errno;
}

std::string openProblem(int error, const std::string& devicePath) {
    if (error == EBUSY || error == EWOULDBLOCK) return "busy";
    if (error != EACCES && error != EPERM) return std::strerror(error);
    const std::string needed = missingGroup(devicePath);
    return needed.empty() ? "permission denied"
                          : "permission denied: not in the " + needed + " group";
}

void notePortOpen(const std::string& port, int error, const std::string& devicePath) {
    const bool absent = error == ENOENT || error == ENODEV || error == ENXIO;
    const std::string problem =
        error == 0 || absent ? std::string() : openProblem(error, devicePath);
    std::lock_guard lock(problemsMutex);
    if (problem.empty())
        problems().erase(port);
    else
        problems()[port] = problem;
}

std::string portProblem(const std::string& port) {
    std::lock_guard lock(problemsMutex);
    const auto found = problems().find(port);
    return found == problems().end() ? std::string() : found->second;
}
