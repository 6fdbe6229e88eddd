#include "links/Serial_resource.h"

#include "core/Strutil.h"
#include "core/Tdebug.h"
#include "links/PortAccess.h"
#include "links/Serial_enum.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <string>

namespace {

constexpr int ModemPollMs = 100;

std::int64_t monotonicNs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
}

speed_t speedOf(std::int32_t baud) {
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B0;
    }
}

tcflag_t dataBitsOf(std::int32_t byteSize) {
    switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    case 8: return CS8;
    default: return 0;
    }
}

bool applyLineSettings(int fd, std::int32_t baud, std::int32_t parity, std::int32_t byteSize,
                       bool rtsHandshake) {
    const speed_t speed = speedOf(baud);
    const tcflag_t bits = dataBitsOf(byteSize);
    termios tio{};
    if (speed == B0 || bits == 0 || parity < 0 || parity > 2 || ::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS | HUPCL);
    tio.c_cflag |= bits | CREAD | CLOCAL;
    if (parity != 0) {
        tio.c_cflag |= PARENB | (parity == 1 ? PARODD : 0);
        tio.c_iflag |= INPCK;
    }
    if (rtsHandshake) tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return ::cfsetispeed(&tio, speed) == 0 && ::cfsetospeed(&tio, speed) == 0 &&
           ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

// DTR and RTS are held inactive; devices without modem lines (ptys) have nothing to clear.
void dropModemLines(int fd, bool rtsHandshake) {
    int lines = TIOCM_DTR | (rtsHandshake ? 0 : TIOCM_RTS);
    ::ioctl(fd, TIOCMBIC, &lines);
}

// Closing the descriptor also drops the port's lock.
void closePort(int& fd) {
    if (fd < 0) return;
    ::close(fd);
    fd = -1;
}

} // namespace

Tserial_resource::Tserial_resource(const char* name)
    : TeventResource(name), wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

Tserial_resource::~Tserial_resource() {
    close();
    closePort(hPort);
    if (wakeFd >= 0) ::close(wakeFd);
}

int Tserial_resource::configurePort(std::int32_t baud, std::int32_t byteParity,
                                    std::int32_t byteSize, bool rtsHandshake) {
    int result = OpenOk;
    int status = 0;
    if (watchModem && ::ioctl(hPort, TIOCMGET, &status) != 0) result = OpenModemWatchFailed;
    modemStatus = status;
    if (!applyLineSettings(hPort, baud, byteParity, byteSize, rtsHandshake))
        result = OpenLineFailed;
    else
        dropModemLines(hPort, rtsHandshake);
    ::tcflush(hPort, TCIOFLUSH);
    return result;
}

// Opens the device and takes its lock before anything changes its line settings, which belong
// to the program that holds it. On failure `error` holds the errno of the refusal.
int Tserial_resource::openDevice(const std::string& path, int& error) {
    error = ENOENT;
    if (path.empty()) return OpenDeviceFailed;
    hPort = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (hPort < 0) {
        error = errno;
        return OpenDeviceFailed;
    }
    error = lockPort(hPort);
    if (error == 0) return OpenOk;
    closePort(hPort);
    return OpenLockFailed;
}

int Tserial_resource::open(const char* name, std::int32_t baud, std::int32_t byteParity,
                           std::int32_t byteSize, bool watch, bool rtsHandshake) {
    close();
    closePort(hPort);
    if (wakeFd < 0) return OpenNoWakeup; // no worker could ever be stopped: nothing else counts
    if (!name) return OpenNoName;
    copyBounded(portName, name, PortNameSize);
    baudRate = baud;
    parity = byteParity;
    watchModem = watch;
    // Start bit, data bits, parity bit, stop bit.
    const std::int64_t bits = 2 + byteSize + (byteParity != 0 ? 1 : 0);
    byteNs = baud > 0 ? bits * 1'000'000'000 / baud : 0;
    const std::string path = comDevicePath(portName);
    int error = 0;
    int result = openDevice(path, error);
    notePortOpen(portName, error, path);
    if (result == OpenOk) {
        if (logOpens) debugPrint("%s: %s", name, path.c_str());
        result = configurePort(baud, byteParity, byteSize, rtsHandshake);
    } else if (logOpens && path.empty()) {
        debugPrint("%s: no such port", name);
    } else if (logOpens) {
        debugPrint("%s: %s: %s", name, path.c_str(), openProblem(error, path).c_str());
    }
    if (result != OpenOk) {
        closePort(hPort);
        return result;
    }
    requests.store(0);
    txPending.store(false);
    {
        std::lock_guard lock(rxMutex);
        aheadStart = 0;
        aheadCount = 0;
        beginRead(); // the first read
    }
    running.store(true);
    waiting.store(false);
    worker = std::thread(&Tserial_resource::workerMain, this);
    return OpenOk;
}

void Tserial_resource::close() {
    if (!worker.joinable()) return;
    signal(StopRequest);
    worker.join();
}

void Tserial_resource::setReadSize(std::int32_t n) {
    readSize.store(n < 1 ? 1 : (n > BufferSize ? BufferSize : n));
}

void Tserial_resource::setReadEnd(std::int32_t byte) {
    readEnd.store(byte < 0 || byte > 0xFF ? NoEndByte : byte);
}

void Tserial_resource::setReadAtLeast(std::int32_t n) {
    readAtLeast.store(n < 0 ? 0 : n);
}

void Tserial_resource::requestRead() {
    bool roomAgain = false;
    {
        std::lock_guard lock(rxMutex);
        if (rxPending) return;
        beginRead();
        const bool full = aheadCount == AheadSize;
        if (completeRead()) postNotification(this, 3);
        roomAgain = full && aheadCount < AheadSize;
    }
    // The worker leaves the device alone while the read-ahead buffer is full.
    if (roomAgain) signal(RoomRequest);
}

// A command fits into the device at once nearly always: it is written here, in the owner's
// thread, without waking the worker and without a wake-up of this thread for code 2. Only what
// the device does not take (or an error, which ends the worker) goes the worker's way.
void Tserial_resource::send(const std::uint8_t* data, std::int32_t length) {
    if (!data || length >= BufferSize || length < 0 || txPending.load()) return;
    std::int32_t done = 0;
    {
        std::lock_guard lock(rxMutex); // the worker closes the port under it; code 3 comes after
        if (portWritable) {
            const ssize_t put = ::write(hPort, data, static_cast<std::size_t>(length));
            done = put > 0 ? static_cast<std::int32_t>(put) : 0;
            if (done == length) postNotification(this, 2);
        }
    }
    if (done == length) return;
    txPending.store(true);
    std::memcpy(txBuffer, data + done, static_cast<std::size_t>(length - done));
    txCount = length - done;
    signal(WriteRequest);
}

void Tserial_resource::OnNotification(TeventResource* sender, std::int32_t code) {
    if (sender == this && owner) owner->OnNotification(this, code);
}

void Tserial_resource::signal(std::uint32_t request) {
    requests.fetch_or(request, std::memory_order_acq_rel);
    if (wakeFd < 0) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &one, sizeof one);
}

bool Tserial_resource::isWaiting() const {
    if (!waiting.load()) return false;
    if (!running.load()) return true;
    if (txPending.load() || requests.load() != 0) return false;
    // A descriptor closed meanwhile gives a wrong answer here, but only after the worker woke.
    pollfd port{watchedPort.load(), POLLIN, 0};
    return ::poll(&port, 1, 0) == 0;
}

// ---- worker thread ----

void Tserial_resource::workerMain() {
    txLength = 0;
    txDone = 0;
    evtPending = false;
    restUntilNs = 0; // a rest of the previous open's worker does not hold up this one
    watchedPort.store(hPort);
    {
        std::lock_guard lock(rxMutex); // no code 2 of a direct write comes before code 0
        postNotification(this, 0);
        portWritable = true;
    }
    if (watchModem) signal(ModemWaitRequest);
    while (workerStep()) {
    }
    endReads();
    txPending.store(false);
    running.store(false);
    watchedPort.store(-1);
    {
        std::lock_guard lock(rxMutex);
        portWritable = false;
        closePort(hPort);
    }
    postNotification(this, 1);
    waiting.store(true);
}

// One wait and what it brought; false ends the worker.
bool Tserial_resource::workerStep() {
    const bool writing = txDone < txLength;
    const std::int64_t now = monotonicNs();
    const std::int64_t restEnd = restUntilNs;
    const bool resting = restEnd > now; // a request handled meanwhile does not end the rest
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {hPort, 0, 0}};
    {
        std::lock_guard lock(rxMutex);
        if (aheadCount < AheadSize && !resting) fds[1].events |= POLLIN;
    }
    if (writing) fds[1].events |= POLLOUT;
    std::int64_t waitNs = evtPending ? ModemPollMs * 1'000'000LL : -1;
    if (resting && (waitNs < 0 || restEnd - now < waitNs)) waitNs = restEnd - now;
    timespec timeout{static_cast<time_t>(waitNs / 1'000'000'000),
                     static_cast<long>(waitNs % 1'000'000'000)};
    waiting.store(true);
    const int ready = ::ppoll(fds, 2, waitNs < 0 ? nullptr : &timeout, nullptr);
    wakes.fetch_add(1);
    waiting.store(false);
    if (ready < 0) return errno == EINTR;
    if (fds[0].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(wakeFd, &count, sizeof count);
        if (!handleRequests(requests.exchange(0, std::memory_order_acq_rel))) return false;
    }
    if (fds[1].revents & (POLLERR | POLLNVAL)) return false;
    if ((fds[1].revents & POLLIN) && !continueRead()) return false;
    // A hang-up seen while resting is taken up by the next wait, after the bytes still there.
    if ((fds[1].revents & POLLHUP) && !(fds[1].revents & POLLIN) && !resting) return false;
    if ((fds[1].revents & POLLOUT) && !continueWrite()) return false;
    if (evtPending) checkModemLines();
    return true;
}

bool Tserial_resource::handleRequests(std::uint32_t request) {
    if (request & StopRequest) return false;
    if (request & WriteRequest) {
        txLength = txCount;
        txDone = 0;
        if (!continueWrite()) return false;
    }
    if ((request & ModemWaitRequest) && watchModem) evtPending = true;
    return true;
}

// Reads what the device has into the free part of the read-ahead ring, then completes the
// outstanding read if enough bytes are there. The read itself runs outside the lock: only the
// worker writes the free part, and the GUI thread only takes bytes from the front.
bool Tserial_resource::continueRead() {
    std::int32_t tail = 0;
    std::int32_t room = 0;
    {
        std::lock_guard lock(rxMutex);
        tail = (aheadStart + aheadCount) % AheadSize;
        room = std::min(AheadSize - aheadCount, AheadSize - tail);
    }
    if (room == 0) return true;
    const ssize_t got = ::read(hPort, ahead + tail, static_cast<std::size_t>(room));
    if (got < 0) return errno == EAGAIN || errno == EINTR;
    if (got == 0) return false; // end of file: the device is gone
    bool completed = false;
    {
        std::lock_guard lock(rxMutex);
        aheadCount += static_cast<std::int32_t>(got);
        completed = completeRead();
        restForMissingBytes();
    }
    // Posted with the lock let go: the owner's thread, woken by it at once, takes the lock in
    // requestRead() and send() and would otherwise wait for this thread to let it go.
    if (completed) postNotification(this, 3);
    return true;
}

// With rxMutex held: after bytes of a chunk whose least length is known, the worker leaves the
// port alone until all but the last of the missing bytes can have arrived. The last one it waits
// for as for any byte, so the chunk is handed over as early as without the rest.
void Tserial_resource::restForMissingBytes() {
    const std::int32_t missing = readAtLeast.load() - aheadCount;
    if (!rxPending || aheadCount == 0 || missing <= 2 || byteNs == 0) return;
    restUntilNs = monotonicNs() + (missing - 1) * byteNs;
}

// With rxMutex held: the next read begins with the size and end byte asked for now.
void Tserial_resource::beginRead() {
    rxPending = true;
    rxWanted = readSize.load();
    rxEnd = readEnd.load();
    rxScanned = 0;
}

// With rxMutex held: the length of the chunk the outstanding read can take now, 0 while it must
// wait. Each byte read ahead is looked at once per read for the end byte.
std::int32_t Tserial_resource::chunkLength() {
    const std::int32_t reach = std::min(aheadCount, rxWanted);
    if (rxEnd != NoEndByte) {
        for (; rxScanned < reach; ++rxScanned) {
            if (ahead[(aheadStart + rxScanned) % AheadSize] == rxEnd) return rxScanned + 1;
        }
    }
    return reach == rxWanted ? rxWanted : 0;
}

// With rxMutex held: hands the outstanding read over when its chunk is complete; true when it
// did, and the caller posts code 3. requestRead() posts it under the lock: its code 3 is then
// either queued before the worker's code 1, or finds the buffer emptied by endReads(). The
// worker posts its own after the lock, and before its code 1 all the same.
bool Tserial_resource::completeRead() {
    if (!rxPending) return false;
    const std::int32_t length = chunkLength();
    if (length == 0) return false;
    const std::int32_t first = std::min(length, AheadSize - aheadStart);
    std::memcpy(rxBuffer, ahead + aheadStart, static_cast<std::size_t>(first));
    std::memcpy(rxBuffer + first, ahead, static_cast<std::size_t>(length - first));
    aheadStart = (aheadStart + length) % AheadSize;
    aheadCount -= length;
    rxLength = length;
    rxPending = false;
    return true;
}

// The worker's end: what was read ahead and not handed out is dropped, so nothing follows code 1;
// the chunk of the last code 3 stays in rxBuffer for its owner.
void Tserial_resource::endReads() {
    std::lock_guard lock(rxMutex);
    aheadStart = 0;
    aheadCount = 0;
    rxScanned = 0;
}

bool Tserial_resource::continueWrite() {
    const ssize_t put =
        ::write(hPort, txBuffer + txDone, static_cast<std::size_t>(txLength - txDone));
    if (put < 0) return errno == EAGAIN || errno == EINTR;
    txDone += static_cast<std::int32_t>(put);
    if (txDone >= txLength) {
        txLength = 0;
        txDone = 0;
        txPending.store(false);
        postNotification(this, 2);
    }
    return true;
}

// Modem lines are polled: ring coming on, and every change of carrier detect.
void Tserial_resource::checkModemLines() {
    int status = 0;
    if (::ioctl(hPort, TIOCMGET, &status) != 0) return;
    const int changed = status ^ modemStatus;
    modemStatus = status;
    if ((changed & TIOCM_RI) && (status & TIOCM_RI)) postNotification(this, 4);
    if (changed & TIOCM_CD) postNotification(this, (status & TIOCM_CD) ? 5 : 6);
}
