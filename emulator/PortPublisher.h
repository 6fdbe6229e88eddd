#pragma once

#include <string>

// Publishes an emulated module in the emulated COM range: a symbolic link "COM<n>" to the pty's
// device in the user's private directory (see links/Serial_enum.h), which the enumeration lists
// as COMn. A number is claimed with an advisory lock on "COM<n>.lock", so several emulators
// share the range and a crashed one leaves nothing that blocks its number.
class TportPublisher {
public:
    explicit TportPublisher(std::string directory);
    ~TportPublisher();
    TportPublisher(const TportPublisher&) = delete;
    TportPublisher& operator=(const TportPublisher&) = delete;

    // Claims `wanted`, or with 0 the first free number of 241..255; returns it, or 0.
    int claim(int wanted = 0);
    // Points the link of the claimed number at `target`.
    bool publish(const std::string& target);
    // Removes the link; the number stays claimed.
    void withdraw();

    int number() const { return claimed; }
    std::string linkPath() const;

private:
    bool prepareDirectory() const;
    bool tryClaim(int candidate);

    std::string dir;
    int claimed = 0;
    int lockFd = -1;
};
