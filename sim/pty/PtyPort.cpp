#include "sim/pty/PtyPort.h"

#include <QtCore/QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PtyPort::PtyPort(QObject* parent) : QObject(parent) {}

PtyPort::~PtyPort() { close(); }

bool PtyPort::open()
{
    close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return false;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        close();
        return false;
    }
    const char* name = ptsname(master_);
    if (!name) {
        close();
        return false;
    }
    device_ = QString::fromLocal8Bit(name);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ >= 0) {
        termios tio{};
        tcgetattr(slave_, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, B38400);
        cfsetospeed(&tio, B38400);
        tcsetattr(slave_, TCSANOW, &tio);
    }
    return true;
}

void PtyPort::close()
{
    delete notifier_;
    notifier_ = nullptr;
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

QByteArray PtyPort::readAll()
{
    QByteArray bytes;
    if (master_ < 0) return bytes;
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
    if (master_ < 0) return;
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
    delete notifier_;
    notifier_ = nullptr;
    if (!watch || master_ < 0) return;
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PtyPort::received);
}
