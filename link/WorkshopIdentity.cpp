#include "link/WorkshopIdentity.h"

#include <QtCore/QDate>
#include <QtCore/QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace WorkshopIdentity {

uint32_t machineNumber()
{
#ifdef Q_OS_WIN
    DWORD serial = 0;
    if (!GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return 0;
    return serial;
#else
    QFile file(QStringLiteral("/etc/machine-id"));
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const QByteArray digits = file.read(8);
    bool ok = false;
    const uint32_t n = digits.size() == 8 ? digits.toUInt(&ok, 16) : 0;
    return ok ? n : 0;
#endif
}

std::array<uint32_t, 4> today()
{
    const QDate d = QDate::currentDate();
    return {machineNumber(), static_cast<uint32_t>(d.year() - 2000), static_cast<uint32_t>(d.month()),
            static_cast<uint32_t>(d.day())};
}

}  // namespace WorkshopIdentity
