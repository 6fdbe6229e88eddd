#pragma once

#include <cstdint>
#include <string>

// Registers of the first parallel port, as the module driver addresses them.
constexpr std::uint16_t LPT1_DATA = 0x378;
constexpr std::uint16_t LPT1_STATUS = 0x379;

// Byte access to I/O ports. Reads and writes are assumed to succeed.
class TportIO {
public:
    virtual ~TportIO() = default;
    virtual std::uint8_t read(std::uint16_t port) = 0;
    virtual void write(std::uint16_t port, std::uint8_t value) = 0;
};

// LPT1 through the Linux parallel-port device. The device is opened, locked (see PortAccess.h)
// and claimed on the first access; when that fails, one log line says why (for example "LPT1:
// /dev/parport0: permission denied: not in the lp group", or "busy" when another program holds
// it), writes go nowhere and every read gives 0xFF, the level of an open line.
class TppdevPortIO : public TportIO {
public:
    static constexpr std::uint8_t OpenLine = 0xFF;

    explicit TppdevPortIO(std::string devicePath = "/dev/parport0");
    ~TppdevPortIO() override;
    TppdevPortIO(const TppdevPortIO&) = delete;
    TppdevPortIO& operator=(const TppdevPortIO&) = delete;

    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;
    // True once the device is open and claimed (opens it if not tried yet).
    bool isOpen();

private:
    bool open();

    std::string path;
    int fd = -1;
    bool tried = false;
};

// The port I/O a parallel-port driver uses when it is built without one: the one installed with
// setPortIO (an emulator in tests), otherwise the process's own LPT1 device.
TportIO* portIO();
void setPortIO(TportIO* io);
