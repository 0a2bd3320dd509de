#pragma once

// Shared pieces of the fuzz harnesses: the process-wide application object and a reader that
// splits one fuzz input into control bytes and the data under test.
#include <QtCore/QByteArray>
#include <QtCore/QCoreApplication>

#include <cstddef>
#include <cstdint>

namespace Fuzz {

// The links own timers, which want an application object; one for the whole process. Qt's own
// warnings are dropped: millions of inputs would otherwise flood the output.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "kavelo-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return new QCoreApplication(argc, argv);
    }();
    (void)app;
}

// Reads control values from the front of the input; past its end every value is 0.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    int word() { return byte() | (byte() << 8); }
    bool empty() const { return at_ >= size_; }
    size_t left() const { return size_ - at_; }

    // The next `n` bytes (fewer at the end).
    QByteArray take(size_t n)
    {
        if (n > left()) n = left();
        QByteArray out(reinterpret_cast<const char*>(data_ + at_), static_cast<qsizetype>(n));
        at_ += n;
        return out;
    }
    QByteArray rest() { return take(left()); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace Fuzz
