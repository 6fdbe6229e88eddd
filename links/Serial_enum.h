#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Where serial devices are looked up. COM numbers map to devices by a fixed family scheme, so a
// port never changes its number when another one is plugged in:
//
//   COM1..32    <dev>/ttyS0..31     only when sysfs shows a real UART behind it
//   COM33..64   <dev>/ttyUSB0..31
//   COM65..96   <dev>/ttyACM0..31
//   COM97..128  <dev>/ttyAMA0..31
//   COM241..255 <emulated>/COM241..255
//
// The emulated range belongs to the module emulator: it publishes its pty as a symbolic link
// named after the COM number ("COM241" -> "/dev/pts/7") in a directory of the current user,
// "/tmp/corvasine-com-<uid>". Links in that directory count only while the directory belongs to
// the user and nobody else may write to it, and while the link's target exists.
struct TserialRoots {
    std::string sysfs = "/sys";
    std::string dev = "/dev";
    std::string emulated = defaultEmulatedDir();

    static std::string defaultEmulatedDir();
};

// The roots used by the serial port resource when it opens a COM name; tests point them at a
// fake tree. Set them before any port is opened.
const TserialRoots& serialRoots();
void setSerialRoots(const TserialRoots& roots);

constexpr int FirstEmulatedCom = 241;
constexpr int LastEmulatedCom = 255;

// The COM number of a "COM%d" name (1..255), or 0 when the name is not one.
int comNumber(const char* name);
// The device path of a "COM%d" name, or an empty text when the number stands for no device.
std::string comDevicePath(const char* name, const TserialRoots& roots = serialRoots());

// Finds the COM numbers whose device is present.
class Tserial_enum {
public:
    explicit Tserial_enum(const TserialRoots& roots = serialRoots());
    ~Tserial_enum();
    Tserial_enum(const Tserial_enum&) = delete;
    Tserial_enum& operator=(const Tserial_enum&) = delete;

    // Fills present[]: entry n is 1 when COMn exists; entry 0 is always 0.
    void enumerate();

    struct Impl;
    std::unique_ptr<Impl> impl;
    std::uint8_t present[256] = {};
};
