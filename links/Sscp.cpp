#include "links/Sscp.h"

#include "core/Strutil.h"
#include "core/Tdebug.h"

#include <cstdint>
#include <cstdio>

namespace {

// Character states while a frame is rebuilt.
constexpr std::uint8_t Outside = 0;
constexpr std::uint8_t Inside = 1;
constexpr std::uint8_t AfterEscape = 2;
// Frame states.
constexpr std::uint8_t Idle = 0;
constexpr std::uint8_t Collecting = 1;
constexpr std::uint8_t Complete = 2;

constexpr int DataBits = 8;
constexpr int HexColumns = 49; // the character column starts here
constexpr int BytesPerLine = 16;

bool needsEscape(std::uint8_t byte) {
    return byte == Tbolep_resource::FrameStart || byte == Tbolep_resource::FrameEnd ||
           byte == Tbolep_resource::Escape;
}

std::uint8_t checksumOf(const std::uint8_t* bytes, int count) {
    std::uint8_t sum = 0;
    for (int i = 0; i < count; ++i)
        sum = static_cast<std::uint8_t>(sum + bytes[i]);
    return static_cast<std::uint8_t>(~sum);
}

// A payload is valid when all its bytes, checksum included, add up to 0xFF.
bool checksumValid(const std::uint8_t* payload, int length) {
    return length > 0 && checksumOf(payload, length) == 0;
}

} // namespace

// ---- Tbolep_resource ----

Tbolep_resource::Tbolep_resource()
    : TeventResource("bolep"), serial(std::make_unique<Tserial_resource>("com_bolep")) {
    serial->reserve(this, false);
    // Bytes are only acted on at a frame's end: the port hands them over a frame at a time.
    serial->setReadSize(Tserial_resource::BufferSize);
    serial->setReadEnd(FrameEnd);
}

Tbolep_resource::~Tbolep_resource() {
    serial.reset();
}

void Tbolep_resource::expectPayload(int length) {
    serial->setReadAtLeast(length + 2); // with the frame's start and end
}

int Tbolep_resource::open(const char* name, std::int32_t baud, std::int32_t byteParity) {
    copyBounded(portName, name, PortNameSize);
    baudRate = baud;
    parity = byteParity;
    reopenPending = true;
    if (!serial) {
        if (owner) owner->OnNotification(this, 1);
        return 1;
    }
    if (serial->isRunning())
        serial->close();
    else
        doOpen();
    return 0;
}

void Tbolep_resource::doOpen() {
    if (!serial) return;
    if (serial->open(portName, baudRate, parity, DataBits, false, false) != 0 && owner)
        owner->OnNotification(this, 1);
}

bool Tbolep_resource::reopen() {
    if (!serial || portName[0] == '\0') return false;
    if (serial->isRunning()) return true;
    serial->setOpenLog(false);
    const bool opened = serial->open(portName, baudRate, parity, DataBits, false, false) == 0;
    serial->setOpenLog(true);
    if (opened) {
        reopenFailing = false;
        reopenPending = true; // as after configure: its next end opens it once more
        debugPrint("%s: port back, measuring again", portName);
    } else if (!reopenFailing) {
        reopenFailing = true;
        debugPrint("%s: port gone, opened again at every measurement", portName);
    }
    return opened;
}

int Tbolep_resource::encodeFrame(const std::uint8_t* payload, std::uint8_t* out) {
    int n = 0;
    out[n++] = FrameStart;
    for (int i = 1; i <= payload[0]; ++i) {
        const std::uint8_t byte = payload[i];
        if (needsEscape(byte)) {
            out[n++] = Escape;
            out[n++] = static_cast<std::uint8_t>(byte ^ EscapeXor);
        } else {
            out[n++] = byte;
        }
    }
    out[n++] = FrameEnd;
    return n;
}

int Tbolep_resource::send(const std::uint8_t* payload) {
    if (!payload || payload[0] == 0 || !serial) return 1;
    std::uint8_t encoded[MaxEncoded];
    const int length = encodeFrame(payload, encoded);
    serial->send(encoded, length);
    return 0;
}

void Tbolep_resource::receiveByte(std::uint8_t byte) {
    if (rxState == Idle) {
        rxFrame[0] = 0;
        rxState = Collecting;
    }
    if (rxState != Collecting) return;
    if (rxFrame[0] >= rxMax) rxFrame[0] = 0;
    if (byte == FrameStart) {
        rxFrame[0] = 0;
        rxSub = Inside;
        return;
    }
    if (byte == FrameEnd) {
        const bool complete = rxFrame[0] != 0;
        if (complete) rxState = Complete;
        rxSub = Outside;
        if (complete && owner) owner->OnNotification(this, 10);
        return;
    }
    if (rxSub == Outside) return;
    if (rxSub == Inside && byte == Escape) {
        rxSub = AfterEscape;
        return;
    }
    if (rxSub == AfterEscape) {
        byte = static_cast<std::uint8_t>(byte ^ EscapeXor);
        rxSub = Inside;
    }
    rxFrame[1 + rxFrame[0]++] = byte;
}

void Tbolep_resource::OnNotification(TeventResource* sender, std::int32_t code) {
    if (!serial || sender != serial.get()) return;
    switch (code) {
    case 0:
        if (owner) owner->OnNotification(this, 12);
        break;
    case 1:
        // A worker runs already: this is the late end report of one that has been replaced.
        if (serial->isRunning()) break;
        if (reopenPending) {
            reopenPending = false;
            doOpen();
        } else if (owner) {
            owner->OnNotification(this, 13);
        }
        break;
    case 2:
        if (owner) owner->OnNotification(this, 11);
        break;
    case 3: {
        const std::uint8_t* data = serial->rxData();
        const std::int32_t count = serial->rxCount();
        for (std::int32_t i = 0; i < count; ++i)
            receiveByte(data[i]);
        // The owner may have replaced the port while the bytes were handled.
        if (serial) serial->requestRead();
        break;
    }
    default: break;
    }
}

// ---- Tsscp ----

Tsscp::Tsscp()
    : bolep(std::make_unique<Tbolep_resource>()), delay(std::make_unique<Tdelay_resource>()) {
    bolep->reserve(this, false);
    delay->reserve(this, false);
}

Tsscp::~Tsscp() {
    bolep.reset();
    delay.reset();
}

int Tsscp::configure(const char* port, std::int32_t baud) {
    debugPrint("configure(%s, %d)", port ? port : "", baud);
    if (bolep) bolep->open(port, baud, 0);
    pending = 0;
    return 0;
}

void Tsscp::requestAck() {
    sendCommand('A');
}

void Tsscp::requestW(std::uint16_t* w) {
    pW = w;
    sendCommand('B');
}

void Tsscp::requestD1D2(std::uint16_t* d1, std::uint16_t* d2) {
    pD1 = d1;
    pD2 = d2;
    sendCommand('C');
}

void Tsscp::requestHumidity(std::uint16_t* hum, std::uint16_t* humT) {
    pHum = hum;
    pHumT = humT;
    sendCommand('D');
}

void Tsscp::sendCommand(char letter) {
    pending = static_cast<std::uint8_t>(letter);
    std::uint8_t payload[3] = {2, pending, checksumOf(&pending, 1)};
    if (bolep) {
        bolep->expectPayload(replyLength(pending));
        debugPrint("sendCommand");
        logHexDump(payload + 1, payload[0]);
        bolep->send(payload);
    }
    delay->setDelay(ReplyTimeoutMs);
}

void Tsscp::tellOwner(std::int32_t code) {
    if (owner) owner->OnNotification(this, code);
}

// The payload of a full reply: the letter, the data bytes of storeReply's layout, the checksum.
int Tsscp::replyLength(std::uint8_t command) {
    switch (command) {
    case 'B': return 10;
    case 'C':
    case 'D': return 7;
    default: return 2;
    }
}

// Data bytes of a reply sit at fixed offsets after the letter; a reply shorter than its layout
// has its missing bytes read as 0. The checksum is not data.
void Tsscp::storeReply(const std::uint8_t* payload, int length) {
    const int dataEnd = length - 1;
    auto byteAt = [&](int i) -> std::uint16_t { return i < dataEnd ? payload[i] : 0; };
    auto wordAt = [&](int i) -> std::uint16_t {
        return static_cast<std::uint16_t>((byteAt(i) << 8) | byteAt(i + 1));
    };
    switch (pending) {
    case 'B':
        for (int i = 1; i <= 4; ++i) {
            const std::uint16_t word = wordAt(2 * i - 1);
            if (pW) pW[i] = word;
            debugPrint("W%d = %d (0x%04X) ", i, word, word);
        }
        break;
    case 'C':
        if (pD1) *pD1 = wordAt(1);
        if (pD2) *pD2 = wordAt(4);
        break;
    case 'D':
        if (pHum) *pHum = wordAt(4);
        if (pHumT) *pHumT = wordAt(1);
        break;
    default: break;
    }
}

void Tsscp::OnMessageArrival() {
    bool matched = false;
    if (const std::uint8_t* frame = bolep->frame()) {
        const int length = frame[0];
        const std::uint8_t* payload = frame + 1;
        debugPrint("OnMessageArrival");
        logHexDump(payload, length);
        if (pending != 0 && checksumValid(payload, length) && payload[0] == pending + ('a' - 'A')) {
            storeReply(payload, length);
            matched = true;
        }
    }
    bolep->consumeFrame();
    if (!matched) return;
    pending = 0;
    delay->cancelDelay();
    tellOwner(0);
}

void Tsscp::OnNotification(TeventResource* sender, std::int32_t code) {
    if (sender == this)
        debugPrint("Tsscp : OnNotification(THIS, %d)", code);
    else
        debugPrint("Tsscp : OnNotification(%d, %d)", logNumber(sender), code);
    if (bolep && sender == bolep.get()) {
        switch (code) {
        case 1: tellOwner(2); break;
        case 10: OnMessageArrival(); break;
        case 12:
            debugPrint("Tsscp   : !  connected");
            tellOwner(4);
            break;
        case 13:
            debugPrint("Tsscp  : !  disconnected");
            tellOwner(5);
            break;
        default: break;
        }
    } else if (delay && sender == delay.get() && code == SEQUENCE_SUCCESS && pending != 0) {
        tellOwner(2);
    }
}

void logHexDump(const std::uint8_t* bytes, int count) {
    for (int start = 0; start < count; start += BytesPerLine) {
        const int n = count - start < BytesPerLine ? count - start : BytesPerLine;
        char line[HexColumns + BytesPerLine + 1];
        int column = 0;
        for (int i = 0; i < n; ++i)
            column += std::snprintf(line + column, 4, "%02X ", bytes[start + i]);
        while (column < HexColumns)
            line[column++] = ' ';
        for (int i = 0; i < n; ++i) {
            const std::uint8_t c = bytes[start + i];
            line[column++] = (c < 32 || c > 126) ? '.' : static_cast<char>(c);
        }
        line[column] = '\0';
        debugPrint("%s", line);
    }
}
