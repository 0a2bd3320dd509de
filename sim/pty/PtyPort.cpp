#include "sim/pty/PtyPort.h"

#include <QtCore/QSocketNotifier>

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

PtyPort::PtyPort(QObject* parent) : QObject(parent) {}

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
    delete notifier_;
    notifier_ = nullptr;
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
    unplugged_ = false;
}

QByteArray PtyPort::readAll()
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
