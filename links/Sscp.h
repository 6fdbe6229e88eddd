#pragma once

#include "core/Eventresource.h"
#include "core/Sequence.h"
#include "links/Serial_resource.h"

#include <cstdint>
#include <memory>

// The frame layer of the serial module. A frame is '$', the escaped payload, '!'; the payload
// is a letter, data bytes and a checksum (the complement of the 8-bit sum of the bytes before
// it). Bytes '!', '$' and '~' inside the payload travel as '~' followed by the byte XOR 0x40.
//
// Reports to the owner, with itself as sender: 1 the port could not be opened, 10 a complete
// frame waits in frame(), 11 a write completed, 12 the port opened, 13 the port closed with no
// reopen pending.
class Tbolep_resource : public TeventResource {
public:
    static constexpr int PortNameSize = 32;
    static constexpr std::uint8_t FrameStart = 0x24; // '$'
    static constexpr std::uint8_t FrameEnd = 0x21;   // '!'
    static constexpr std::uint8_t Escape = 0x7E;     // '~'
    static constexpr std::uint8_t EscapeXor = 0x40;
    // Longest encoded frame: every payload byte escaped, plus start and end.
    static constexpr int MaxEncoded = 2 * 255 + 2;

    Tbolep_resource();
    ~Tbolep_resource() override;

    // Remembers the port and opens it; a running port is closed first and the new one opens when
    // its worker's end is reported. Returns 0, or 1 without a serial resource.
    int open(const char* name, std::int32_t baud, std::int32_t parity);
    void doOpen();
    // Opens the remembered port again once its worker has ended, without a word to the owner
    // and with one log line per change between gone and back, not per try. True when the port
    // runs afterwards.
    bool reopen();
    // payload[0] is the length, the bytes follow. Returns 1 (nothing sent) for an empty payload.
    int send(const std::uint8_t* payload);
    // The complete frame (length byte, then the payload) while one waits, else null.
    const std::uint8_t* frame() const { return rxState == 2 ? rxFrame : nullptr; }
    void consumeFrame() { rxState = 0; }
    // The next frames carry at least this many payload bytes: the port may then take each of
    // them in a few reads rather than byte by byte.
    void expectPayload(int length);
    // One received byte through the frame rebuilding.
    void receiveByte(std::uint8_t byte);

    void OnNotification(TeventResource* sender, std::int32_t code) override;

    // Frames payload[1..payload[0]] into out (room for MaxEncoded bytes); returns the length.
    static int encodeFrame(const std::uint8_t* payload, std::uint8_t* out);

    Tserial_resource* getSerial() const { return serial.get(); }
    bool isReopenPending() const { return reopenPending; }
    const char* getPortName() const { return portName; }

private:
    char portName[PortNameSize] = {};
    std::int32_t baudRate = 0;
    std::int32_t parity = 0;
    bool reopenPending = false;
    bool reopenFailing = false; // the last reopen found no port
    std::uint8_t rxFrame[1 + 32] = {};
    std::uint8_t rxSub = 0;
    std::uint8_t rxState = 0;
    std::uint8_t rxMax = 32;
    std::unique_ptr<Tserial_resource> serial;
};

// The command layer of the serial module: opens the port, sends command A (acknowledge), B (the
// calibration words), C (one D1/D2 conversion) or D (the humidity words), waits up to 1000 ms for
// the matching reply and stores its words. Reports to the owner, with itself as sender: 0 the
// reply arrived and was stored, 2 no matching reply in time or the port could not be opened,
// 4 the port opened, 5 the port closed.
class Tsscp : public TeventResource {
public:
    static constexpr std::int32_t ReplyTimeoutMs = 1000;

    Tsscp();
    ~Tsscp() override;

    int configure(const char* port, std::int32_t baud);
    // The configured port, opened again if it has gone; true when it runs.
    bool reconnect() { return bolep && bolep->reopen(); }
    void requestAck();
    // W1..W4 go to w[1..4].
    void requestW(std::uint16_t* w);
    void requestD1D2(std::uint16_t* d1, std::uint16_t* d2);
    // The SHT15's raw humidity word to hum, its raw temperature word to humT.
    void requestHumidity(std::uint16_t* hum, std::uint16_t* humT);

    void OnNotification(TeventResource* sender, std::int32_t code) override;

    std::uint8_t getPending() const { return pending; }
    Tbolep_resource* getBolep() const { return bolep.get(); }

private:
    void sendCommand(char letter);
    void OnMessageArrival();
    void storeReply(const std::uint8_t* payload, int length);
    static int replyLength(std::uint8_t command);
    void tellOwner(std::int32_t code);

    std::unique_ptr<Tbolep_resource> bolep;
    std::unique_ptr<Tdelay_resource> delay;
    std::uint16_t* pW = nullptr;
    std::uint16_t* pD1 = nullptr;
    std::uint16_t* pD2 = nullptr;
    std::uint16_t* pHum = nullptr;
    std::uint16_t* pHumT = nullptr;
    std::uint8_t pending = 0;
};

// Logs bytes 16 to a line: hexadecimal from column 0, the characters from column 49.
void logHexDump(const std::uint8_t* bytes, int count);
