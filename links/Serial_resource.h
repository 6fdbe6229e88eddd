#pragma once

#include "core/Eventresource.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

// One serial port with its worker thread. The worker does all reads, the writes the device does
// not take at once and modem-line watching and reports each event by posting a code with the
// resource as sender; the resource
// forwards those, in the GUI thread, to its owner:
//
//   0 worker started (port open, first read requested)   4 ring indicator came on
//   1 worker ended (port closed)                          5 carrier detect on after a change
//   2 write completed                                     6 carrier detect off after a change
//   3 data received: rxCount() bytes in rxData()
//
// Received data is handed over strictly: after code 3 nothing more is delivered until the owner
// has consumed the chunk and called requestRead(); a read completes when the read size asked for
// when it began (at open, or at requestRead) has arrived, or, with an end byte set, as soon as
// that byte has arrived: the chunk then ends with it. A reader that only acts on an end byte
// (the frame layer) thus takes one chunk, and the GUI thread one wake-up, per frame instead of
// per byte. The worker reads ahead whatever the
// device has into a bounded buffer, so a read whose bytes are already there is completed by
// requestRead() itself, in the GUI thread, without waking the worker; otherwise the worker
// completes it when the bytes arrive. Bytes read ahead but not handed out when the worker ends
// are dropped: after code 1 nothing is delivered for that open.
//
// A reader that knows how long the next chunk is at least (the frame layer, from the reply it
// waits for) says so with setReadAtLeast(). Once the first bytes of such a chunk are here, the
// worker leaves the port alone until all but the last of the bytes still missing can have come
// and takes them in one read, instead of waking for every byte; bytes cannot arrive faster than
// the line carries them, and the last one is waited for as any byte, so the chunk is not handed
// over later for it.
class Tserial_resource : public TeventResource {
public:
    static constexpr int BufferSize = 256;
    static constexpr int PortNameSize = 10;
    static constexpr int AheadSize = 4096; // read-ahead buffer; the device is left alone when full

    // open() results; when several settings fail, the last failing one is returned.
    static constexpr int OpenOk = 0;
    static constexpr int OpenModemWatchFailed = 1; // modem lines cannot be read
    static constexpr int OpenLockFailed = 2;       // another program holds the port (busy)
    static constexpr int OpenLineFailed = 4;       // speed, parity or data bits refused
    static constexpr int OpenDeviceFailed = 8;     // no device or cannot be opened
    static constexpr int OpenNoName = 16;
    static constexpr int OpenNoWakeup = 32; // the worker's wake-up channel is missing

    explicit Tserial_resource(const char* name = nullptr);
    ~Tserial_resource() override;

    // Opens "COM%d" (see Serial_enum.h for the devices) raw with byteSize data bits, parity
    // 0 none / 1 odd / 2 even, one stop bit, no flow control unless rtsHandshake, DTR and RTS
    // inactive, kept to this open by the device's lock (see PortAccess.h), and starts the
    // worker. Stops a worker of an earlier open first. Why an open failed is logged (unless
    // logging is off) and noted as the port's problem.
    int open(const char* name, std::int32_t baud, std::int32_t parity, std::int32_t byteSize,
             bool watchModem, bool rtsHandshake);
    // Stops the worker and waits for its end; the worker closes the port and posts code 1.
    void close();
    // Bytes asked for by each read, at most BufferSize; takes effect at the next read.
    void setReadSize(std::int32_t n);
    // A byte that also completes a read (NoEndByte: none); takes effect at the next read.
    static constexpr std::int32_t NoEndByte = -1;
    void setReadEnd(std::int32_t byte);
    // Bytes the next chunks hold at least (0: unknown); takes effect at once.
    void setReadAtLeast(std::int32_t n);
    std::int32_t getReadAtLeast() const { return readAtLeast.load(); }
    // Starts the next read unless one is outstanding; completes it at once when enough bytes
    // have been read ahead.
    void requestRead();
    // Writes the bytes and posts code 2, or hands a copy of what the device did not take to the
    // worker, which posts code 2 when it is written. Ignored while a write is pending, for 256
    // bytes or more, and for null data.
    void send(const std::uint8_t* data, std::int32_t length);

    const std::uint8_t* rxData() const { return rxBuffer; }
    std::int32_t rxCount() const { return rxLength; }
    bool isRunning() const { return running.load(); }
    // Off: open() logs neither the device it opened nor why it failed (for retries that the
    // caller logs itself once per change).
    void setOpenLog(bool on) { logOpens = on; }
    const char* getPortName() const { return portName; }
    // Whether the worker waits for the device or a request with nothing in hand: no write or
    // request under way, every byte it took from the device handed over or kept for the next
    // read, nothing (bytes, a hang-up) waiting at the device; true too once a worker's end has
    // been posted. Reading wakeCount() before and after and finding it unchanged tells that the
    // worker waited throughout.
    bool isWaiting() const;
    std::uint64_t wakeCount() const { return wakes.load(); }

    void OnNotification(TeventResource* sender, std::int32_t code) override;

private:
    // Worker request bits, carried by `requests` and signalled on the eventfd.
    static constexpr std::uint32_t StopRequest = 1u << 0;
    static constexpr std::uint32_t RoomRequest = 1u << 2; // the full read-ahead buffer has room
    static constexpr std::uint32_t WriteRequest = 1u << 4;
    static constexpr std::uint32_t ModemWaitRequest = 1u << 6;

    int openDevice(const std::string& path, int& error);
    int configurePort(std::int32_t baud, std::int32_t parity, std::int32_t byteSize,
                      bool rtsHandshake);
    void signal(std::uint32_t request);
    void workerMain();
    bool workerStep();
    bool handleRequests(std::uint32_t request);
    bool continueRead();
    void restForMissingBytes();
    void beginRead();
    std::int32_t chunkLength();
    bool completeRead();
    void endReads();
    bool continueWrite();
    void checkModemLines();

    std::atomic<bool> running{false};
    bool watchModem = false;
    bool logOpens = true;
    char portName[PortNameSize] = {};
    std::int32_t baudRate = 0;
    std::int32_t parity = 0;
    int wakeFd = -1; // eventfd
    std::atomic<std::uint32_t> requests{0};
    int hPort = -1;
    std::thread worker;
    std::atomic<bool> txPending{false};
    std::atomic<bool> waiting{true};
    std::atomic<int> watchedPort{-1}; // the worker's device, for isWaiting()
    std::atomic<std::uint64_t> wakes{0};
    std::atomic<std::int32_t> readSize{1};
    std::atomic<std::int32_t> readEnd{NoEndByte};
    std::atomic<std::int32_t> readAtLeast{0};
    std::int64_t byteNs = 0; // line time of one byte at the open's settings
    // The worker's: until when it leaves the port alone (0: it does not).
    std::int64_t restUntilNs = 0;
    // Receive state shared by the GUI thread and the worker. rxBuffer and rxLength are written,
    // under rxMutex, only while a read is outstanding, and read by the owner after code 3.
    std::mutex rxMutex;
    bool portWritable = false;      // from code 0 to the port's close: send() may write it directly
    bool rxPending = false;         // a read is outstanding
    std::int32_t rxWanted = 1;      // readSize when the outstanding read began
    std::int32_t rxEnd = NoEndByte; // readEnd when the outstanding read began
    std::int32_t rxScanned = 0;     // bytes at the front of the ring known to hold no rxEnd
    std::uint8_t rxBuffer[BufferSize + 1] = {};
    std::int32_t rxLength = 0;
    std::uint8_t ahead[AheadSize] = {}; // ring of bytes read ahead, not yet handed out
    std::int32_t aheadStart = 0;
    std::int32_t aheadCount = 0;
    std::uint8_t txBuffer[BufferSize] = {};
    std::int32_t txCount = 0;  // set by send
    std::int32_t txLength = 0; // the worker's copy of txCount for the write in progress
    std::int32_t txDone = 0;
    bool evtPending = false;
    int modemStatus = 0;
};
