#pragma once

#include <string>

// Who may use a port, and why it could not be opened.
//
// A port is kept to one program at a time by an advisory lock on its device (flock), which the
// kernel drops with the last descriptor of the open: a program that is killed, crashes or is
// ended by a signal frees its port at once. The tty's own exclusive flag is not used, since it
// outlives a holder that ends without closing on a tty whose other side stays open.

// Locks the open device for this open alone; 0, or the errno of the refusal (EWOULDBLOCK: another
// open holds it).
int lockPort(int fd);

// Why `devicePath` could not be opened, from the open's errno, in the words of the logs: "busy"
// when another program holds it, "permission denied: not in the dialout group" when the device's
// group may use it and this process is not in that group, otherwise the system's text.
std::string openProblem(int error, const std::string& devicePath);

// Keeps why the last open of a port ("COM33", "LPT1") failed, from its errno (0: it opened),
// for whoever reports the search. A device that is not there is no problem of its own: the
// search says "not found" for it as for a port without the module.
void notePortOpen(const std::string& port, int error, const std::string& devicePath);
// The problem kept for a port: empty when its last open succeeded, found no device, or when it
// was never tried.
std::string portProblem(const std::string& port);
