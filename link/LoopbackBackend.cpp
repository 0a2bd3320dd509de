#include "link/LoopbackBackend.h"

#include <cstring>

bool LoopbackBackend::open(const QString& device, int baud, int, int, int)
{
    if (refuseOpen) return false;
    openedDevices.append(device);
    baudRate = baud;
    open_ = true;
    return true;
}

int LoopbackBackend::read(uint8_t* buffer, int count)
{
    if (!open_) return -1;
    const int n = std::min<int>(count, static_cast<int>(rx.size()));
    std::memcpy(buffer, rx.constData(), static_cast<size_t>(n));
    rx.remove(0, n);
    return n;
}

int LoopbackBackend::write(const uint8_t* buffer, int count)
{
    if (!open_) return -1;
    tx.append(reinterpret_cast<const char*>(buffer), count);
    return count;
}
