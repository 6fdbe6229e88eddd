// The serial module's receive path fed byte by byte: the frame layer's rebuilding of frames and
// the command layer's checking and storing of replies.
//
// Input: byte 0 picks the pending command (A to D) and whether the next frame gets a correct
// checksum; byte 1 is the count of raw bytes that follow as line noise; the rest is a reply
// payload that is framed and sent after the noise. Whatever the noise left behind, a framed
// payload of 1 to 31 bytes must arrive whole, and a valid reply to the pending command must be
// stored and reported.
#include "core/VirtualLoop.h"
#include "links/Sscp.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t MaxWhole = 31; // longer payloads are cut by the 32-byte limit

// Takes every frame the frame layer delivers, as the command layer does.
class FrameTaker : public TeventResource {
public:
    void OnNotification(TeventResource* sender, std::int32_t code) override {
        auto* bolep = static_cast<Tbolep_resource*>(sender);
        if (code != 10) std::abort(); // nothing but frames without a port
        const std::uint8_t* f = bolep->frame();
        if (!f || f[0] == 0 || f[0] > 32) std::abort();
        frames.emplace_back(f + 1, f + 1 + f[0]);
        bolep->consumeFrame();
    }
    std::vector<std::vector<std::uint8_t>> frames;
};

class Owner : public TeventResource {
public:
    void OnNotification(TeventResource*, std::int32_t code) override { codes.push_back(code); }
    std::vector<std::int32_t> codes;
};

std::uint8_t sumOf(const std::vector<std::uint8_t>& bytes) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes)
        sum = static_cast<std::uint8_t>(sum + b);
    return sum;
}

std::vector<std::uint8_t> framed(const std::vector<std::uint8_t>& payload) {
    std::uint8_t withLength[1 + 255];
    withLength[0] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), withLength + 1);
    std::uint8_t out[Tbolep_resource::MaxEncoded];
    const int n = Tbolep_resource::encodeFrame(withLength, out);
    return {out, out + n};
}

std::uint16_t wordAt(const std::vector<std::uint8_t>& p, std::size_t i) {
    const std::size_t dataEnd = p.size() - 1; // the checksum is not data
    const auto byteAt = [&](std::size_t k) -> unsigned { return k < dataEnd ? p[k] : 0u; };
    return static_cast<std::uint16_t>((byteAt(i) << 8) | byteAt(i + 1));
}

struct Destinations {
    std::uint16_t w[5] = {};
    std::uint16_t d1 = 0, d2 = 0, hum = 0, humT = 0;
};

void request(Tsscp& sscp, char command, Destinations& d) {
    switch (command) {
    case 'A': sscp.requestAck(); break;
    case 'B': sscp.requestW(d.w); break;
    case 'C': sscp.requestD1D2(&d.d1, &d.d2); break;
    default: sscp.requestHumidity(&d.hum, &d.humT); break;
    }
}

// The words a matching reply must have left in the destinations.
void checkStored(char command, const std::vector<std::uint8_t>& p, const Destinations& d) {
    bool ok = true;
    switch (command) {
    case 'B':
        for (std::size_t i = 1; i <= 4; ++i)
            ok = ok && d.w[i] == wordAt(p, 2 * i - 1);
        break;
    case 'C': ok = d.d1 == wordAt(p, 1) && d.d2 == wordAt(p, 4); break;
    case 'D': ok = d.humT == wordAt(p, 1) && d.hum == wordAt(p, 4); break;
    default: break;
    }
    if (!ok) std::abort();
}

void feed(Tbolep_resource& bolep, const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        bolep.receiveByte(bytes[i]);
}

void feed(Tbolep_resource& bolep, const std::vector<std::uint8_t>& bytes) {
    feed(bolep, bytes.data(), bytes.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const char command = static_cast<char>('A' + (data[0] & 3));
    const bool fixChecksum = (data[0] & 4) != 0;
    const std::size_t noiseCount = std::min<std::size_t>(data[1], size - 2);
    const std::uint8_t* noise = data + 2;
    std::vector<std::uint8_t> payload(noise + noiseCount, data + size);
    if (payload.size() > MaxWhole) payload.resize(MaxWhole);
    if (fixChecksum && !payload.empty())
        payload.back() = static_cast<std::uint8_t>(~sumOf({payload.begin(), payload.end() - 1}));

    TvirtualLoop loop;

    // The frame layer alone.
    FrameTaker taker;
    Tbolep_resource bolep;
    bolep.reserve(&taker, false);
    feed(bolep, noise, noiseCount);
    const std::size_t before = taker.frames.size();
    feed(bolep, framed(payload));
    const std::size_t delivered = taker.frames.size() - before;
    if (payload.empty() ? delivered != 0 : delivered != 1 || taker.frames.back() != payload)
        std::abort();

    // The command layer over the same bytes.
    Owner owner;
    Tsscp sscp;
    sscp.reserve(&owner, false);
    Destinations stored;
    request(sscp, command, stored);
    feed(*sscp.getBolep(), noise, noiseCount);
    const bool answeredByNoise = sscp.getPending() == 0;
    if (answeredByNoise) request(sscp, command, stored);
    owner.codes.clear();
    feed(*sscp.getBolep(), framed(payload));
    const bool matches = !payload.empty() && sumOf(payload) == 0xFF &&
                         payload[0] == static_cast<std::uint8_t>(command + ('a' - 'A'));
    if (matches != (owner.codes == std::vector<std::int32_t>{0})) std::abort();
    if (matches != (sscp.getPending() == 0)) std::abort();
    if (matches) checkStored(command, payload, stored);
    // A wait that was not answered runs out with code 2.
    owner.codes.clear();
    loop.advance(Tsscp::ReplyTimeoutMs);
    if (owner.codes != (matches ? std::vector<std::int32_t>{} : std::vector<std::int32_t>{2}))
        std::abort();
    return 0;
}
