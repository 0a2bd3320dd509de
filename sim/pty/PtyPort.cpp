#include "sim/pty/PtyPort.h"

#include <QtCore/QSocketNotifier>
#include <QtCore/QTimer>

#include <algorithm>
#include <vector>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A new pseudo-terminal master, unlocked, non-blocking; -1 when none could be had.
int openMaster()
{
    const int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0) return -1;
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || !ptsname(fd)) {
        ::close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

// Device number of /dev/pts/N, -1 for anything else.
int ptsIndex(const QString& device)
{
    static const QLatin1String kPrefix("/dev/pts/");
    if (!device.startsWith(kPrefix)) return -1;
    bool ok = false;
    const int n = device.mid(kPrefix.size()).toInt(&ok);
    return ok ? n : -1;
}

bool setPtyLock(int master, bool locked)
{
    int lock = locked ? 1 : 0;
    return ioctl(master, TIOCSPTLCK, &lock) == 0;
}

}  // namespace

namespace {
// The wire's timer wakes at most this often: a few bytes a wake, far finer than any reader's tick.
constexpr int kWireWakeMs = 2;
}  // namespace

PtyPort::PtyPort(QObject* parent) : QObject(parent), wireTimer_(new QTimer(this))
{
    clock_.start();
    wireTimer_->setSingleShot(true);
    wireTimer_->setTimerType(Qt::PreciseTimer);
    connect(wireTimer_, &QTimer::timeout, this, &PtyPort::pumpWire);
}

PtyPort::~PtyPort() { close(); }

bool PtyPort::open()
{
    close();
    master_ = openMaster();
    if (master_ < 0) return false;
    device_ = QString::fromLocal8Bit(ptsname(master_));
    openSlave();
    return true;
}

bool PtyPort::openSlave()
{
    slave_ = ::open(device_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) return false;
    termios tio{};
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B38400);
    cfsetospeed(&tio, B38400);
    tcsetattr(slave_, TCSANOW, &tio);
    return true;
}

void PtyPort::close()
{
    dropWire();
    delete notifier_;
    notifier_ = nullptr;
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
    unplugged_ = false;
}

QByteArray PtyPort::readAll()
{
    QByteArray fresh = readNow();
    if (!wireTiming_) {
        // Bytes still on their way when the timing was switched off come first.
        fresh.prepend(incoming_);
        incoming_.clear();
        return fresh;
    }
    if (!fresh.isEmpty()) {
        fromProgram_.queue(nowNs(), fresh.size());
        incoming_ += fresh;
    }
    const qsizetype n = static_cast<qsizetype>(fromProgram_.due(nowNs()));
    QByteArray crossed = incoming_.left(n);
    incoming_.remove(0, n);
    fromProgram_.take(n);
    scheduleWire();
    return crossed;
}

QByteArray PtyPort::readNow()
{
    QByteArray bytes;
    if (master_ < 0 || unplugged_) return bytes;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    return bytes;
}

void PtyPort::write(const QByteArray& bytes)
{
    if (!wireTiming_) {
        writeNow(bytes);
        return;
    }
    if (master_ < 0 || unplugged_ || bytes.isEmpty()) return;
    toProgram_.queue(nowNs(), bytes.size());
    outgoing_ += bytes;
    pumpWire();
}

void PtyPort::setWireTiming(bool on)
{
    if (on == wireTiming_) return;
    if (!on) {
        // What is on its way arrives at once, in order.
        writeNow(outgoing_);
        outgoing_.clear();
        toProgram_.clear();
        fromProgram_.clear();
        wireTimer_->stop();
        if (!incoming_.isEmpty() && watching_) QTimer::singleShot(0, this, &PtyPort::received);
    }
    wireTiming_ = on;
}

void PtyPort::pumpWire()
{
    const qint64 now = nowNs();
    if (const qsizetype n = static_cast<qsizetype>(toProgram_.due(now)); n > 0) {
        writeNow(outgoing_.left(n));
        outgoing_.remove(0, n);
        toProgram_.take(n);
    }
    // The program's bytes that have crossed by now are announced, as the line's notifier would.
    if (watching_ && fromProgram_.due(now) > 0) Q_EMIT received();
    scheduleWire();
}

void PtyPort::scheduleWire()
{
    const qint64 now = nowNs();
    qint64 next = -1;
    for (const WireClock* lane : {&toProgram_, &fromProgram_}) {
        const qint64 in = lane->nextIn(now);
        if (in >= 0 && (next < 0 || in < next)) next = in;
    }
    if (next < 0) {
        wireTimer_->stop();
        return;
    }
    const int ms = std::max<int>(kWireWakeMs, static_cast<int>((next + 999'999) / 1'000'000));
    if (!wireTimer_->isActive() || wireTimer_->remainingTime() > ms) wireTimer_->start(ms);
}

void PtyPort::dropWire()
{
    outgoing_.clear();
    incoming_.clear();
    toProgram_.clear();
    fromProgram_.clear();
    wireTimer_->stop();
}

void PtyPort::writeNow(const QByteArray& bytes)
{
    if (master_ < 0 || unplugged_) return;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            usleep(1000);  // the line's buffer is full; the reader is draining it
        } else {
            break;
        }
    }
}

void PtyPort::setWatching(bool watch)
{
    watching_ = watch;
    delete notifier_;
    notifier_ = nullptr;
    if (!watch || master_ < 0 || unplugged_) return;
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PtyPort::received);
}

bool PtyPort::unplug(UnplugMethod preferred)
{
    if (master_ < 0 || unplugged_) return false;
    // A master without a slave reads as hung up all the time: it is not watched while unplugged.
    // What was on the line goes with the plug.
    dropWire();
    delete notifier_;
    notifier_ = nullptr;
    if (preferred == UnplugMethod::Hangup && slave_ >= 0 && setPtyLock(master_, true)) {
        // Locked first, so that the program cannot open the device again before plugIn().
        if (ioctl(slave_, TIOCVHANGUP) == 0) {
            ::close(slave_);
            slave_ = -1;
            method_ = UnplugMethod::Hangup;
            unplugged_ = true;
            return true;
        }
        setPtyLock(master_, false);
    }
    // Closing the master hangs up the program's end; the number is free again once it closes it.
    if (slave_ >= 0) ::close(slave_);
    ::close(master_);
    slave_ = master_ = -1;
    method_ = UnplugMethod::Reopen;
    unplugged_ = true;
    return true;
}

bool PtyPort::plugIn()
{
    if (!unplugged_) return false;
    if (method_ == UnplugMethod::Hangup) {
        setPtyLock(master_, false);
        unplugged_ = false;
        if (!openSlave()) return false;
        tcflush(slave_, TCIOFLUSH);
        readAll();  // what was on the line when the plug was pulled is gone with it
        setWatching(watching_);
        return true;
    }
    const QString wanted = device_;
    if (!takeNumber(wanted)) {
        master_ = openMaster();
        if (master_ < 0) return false;
        device_ = QString::fromLocal8Bit(ptsname(master_));
    }
    unplugged_ = false;
    openSlave();
    setWatching(watching_);
    if (device_ != wanted) Q_EMIT deviceChanged(device_);
    return true;
}

bool PtyPort::takeNumber(const QString& wanted)
{
    // The kernel hands out the lowest free number: holding each lower one that comes up reaches the
    // wanted one if it is free. A number above it means someone else has it.
    const int want = ptsIndex(wanted);
    std::vector<int> held;
    bool found = false;
    for (int tries = 0; tries < 256 && !found; ++tries) {
        const int fd = openMaster();
        if (fd < 0) break;
        const int index = ptsIndex(QString::fromLocal8Bit(ptsname(fd)));
        if (index == want) {
            master_ = fd;
            device_ = wanted;
            found = true;
        } else {
            held.push_back(fd);
            if (index > want) break;
        }
    }
    for (int fd : held) ::close(fd);
    return found;
}
