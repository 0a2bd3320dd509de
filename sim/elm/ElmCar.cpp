#include "sim/elm/ElmCar.h"

#include <QtCore/QString>

#include <cmath>

namespace {

// Data bytes of each mode-01 PID 0x00..0x80 (SAE J1979).
constexpr int kPidBytes[0x81] = {
    4, 4, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1,   // 00..0F
    2, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 2,   // 10..1F
    4, 2, 2, 2, 4, 4, 4, 4, 4, 4, 4, 4, 1, 1, 1, 1,   // 20..2F
    1, 2, 2, 1, 4, 4, 4, 4, 4, 4, 4, 4, 2, 2, 2, 2,   // 30..3F
    4, 4, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 4,   // 40..4F
    4, 1, 1, 2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 2, 2, 1,   // 50..5F
    4, 1, 1, 2, 5, 2, 5, 3, 7, 7, 5, 5, 5, 6, 5, 3,   // 60..6F
    9, 5, 5, 5, 5, 7, 7, 5, 9, 9, 7, 7, 9, 1, 1, 13,  // 70..7F
    4,                                                // 80
};

bool isCan(int protocol) { return protocol >= 6 && protocol <= 9; }

}  // namespace

int ElmCar::pidBytes(int pid) { return pid >= 0 && pid <= 0x80 ? kPidBytes[pid] : 0; }

bool ElmCar::parseCode(const QString& text, uint16_t& code)
{
    static const QString letters = QStringLiteral("PCBU");
    if (text.size() != 5) return false;
    const int letter = letters.indexOf(text[0].toUpper());
    bool ok = false;
    const int digits = text.mid(1).toInt(&ok, 16);
    if (letter < 0 || !ok || digits > 0x3FFF) return false;
    code = static_cast<uint16_t>((letter << 14) | digits);
    return true;
}

uint32_t ElmCar::supportBitmap(const ElmEcu& ecu, int first) const
{
    uint32_t bits = 0;
    bool later = false;
    for (const int p : ecu.pids) {
        if (p > first && p <= first + 32) bits |= 1u << (32 - (p - first));
        if (p > first + 32) later = true;
    }
    if (later) bits |= 1u;  // the next bitmap exists
    return bits;
}

QByteArray ElmCar::pidData(const ElmEcu& ecu, int pid) const
{
    const int t = requests;
    const double wave = std::sin(t / 7.0);  // slow swing of the readings
    QByteArray d(pidBytes(pid), '\0');
    if (pidSource && pid != 0x01 && pidSource(pid, d)) return d;
    auto put16 = [&](int v) {
        d[0] = static_cast<char>((v >> 8) & 0xFF);
        d[1] = static_cast<char>(v & 0xFF);
    };
    switch (pid) {
        case 0x01:
            d[0] = static_cast<char>((ecu.stored.isEmpty() ? 0 : 0x80) | std::min<int>(ecu.stored.size(), 0x7F));
            d[1] = 0x07;
            d[2] = 0x65;
            d[3] = 0x04;
            break;
        case 0x03: d[0] = 0x02; break;                                // closed loop
        case 0x04: d[0] = static_cast<char>(60 + 30 * wave); break;   // load
        case 0x05: d[0] = static_cast<char>(40 + 90); break;          // 90 °C
        case 0x06: d[0] = static_cast<char>(128 + 10 * wave); break;  // short trim bank 1
        case 0x07: d[0] = static_cast<char>(0x84); break;             // long trim bank 1
        case 0x08: d[0] = static_cast<char>(128 - 8 * wave); break;
        case 0x09: d[0] = static_cast<char>(0x7C); break;
        case 0x0B: d[0] = static_cast<char>(35 + 20 * (wave + 1)); break;    // kPa
        case 0x0C: put16(static_cast<int>((1600 + 800 * wave) * 4)); break;  // rpm
        case 0x0D: d[0] = static_cast<char>(40 + 10 * (wave + 1)); break;    // km/h
        case 0x0E: d[0] = static_cast<char>(128 + 24); break;                // 12°
        case 0x0F: d[0] = static_cast<char>(40 + 25); break;
        case 0x10: put16(static_cast<int>(450 + 200 * wave)); break;  // g/s x 100
        case 0x11: d[0] = static_cast<char>(40 + 20 * (wave + 1)); break;
        case 0x13: d[0] = 0x03; break;
        case 0x14:
        case 0x15:
            d[0] = static_cast<char>(90 + 60 * wave);
            d[1] = static_cast<char>(0xFF);
            break;
        case 0x1C: d[0] = 0x06; break;  // EOBD
        case 0x1F: put16(t / 2); break;
        case 0x2F: d[0] = static_cast<char>(0x99); break;
        case 0x33: d[0] = 100; break;
        case 0x42: put16(14100); break;  // mV
        case 0x46: d[0] = static_cast<char>(40 + 18); break;
        case 0x51: d[0] = 0x01; break;
        case 0x5C: d[0] = static_cast<char>(40 + 95); break;
        default:
            for (int i = 0; i < d.size(); ++i) d[i] = static_cast<char>(pid + i);
            break;
    }
    return d;
}

QList<ElmAnswer> ElmCar::codes(const ElmEcu& ecu, uint8_t mode, const QList<uint16_t>& list) const
{
    QByteArray bytes;
    for (const uint16_t c : list) {
        bytes.append(static_cast<char>(c >> 8));
        bytes.append(static_cast<char>(c & 0xFF));
    }
    if (isCan(protocol)) {
        // One message: the mode byte, the count and every code.
        return {{ecu.address, QByteArray(1, static_cast<char>(mode)) + char(list.size()) + bytes}};
    }
    // The older buses send three codes per message, filled with 00 00.
    QList<ElmAnswer> messages;
    do {
        QByteArray part = bytes.left(6);
        bytes.remove(0, 6);
        part.append(QByteArray(6 - part.size(), '\0'));
        messages.append({ecu.address, QByteArray(1, static_cast<char>(mode)) + part});
    } while (!bytes.isEmpty());
    return messages;
}

QList<ElmAnswer> ElmCar::answer(const QByteArray& request)
{
    QList<ElmAnswer> result;
    if (!present || request.isEmpty()) return result;
    ++requests;
    const auto mode = static_cast<uint8_t>(request[0]);
    for (ElmEcu& ecu : ecus) {
        switch (mode) {
            case 0x01: {
                if (request.size() != 2) break;
                const int pid = static_cast<uint8_t>(request[1]);
                QByteArray data;
                if (pid % 0x20 == 0 && pid <= 0x80) {
                    if (pid > 0 && !(supportBitmap(ecu, pid - 0x20) & 1u)) break;
                    const uint32_t bits = supportBitmap(ecu, pid);
                    for (int s = 24; s >= 0; s -= 8) data.append(static_cast<char>((bits >> s) & 0xFF));
                } else if (ecu.pids.contains(pid)) {
                    data = pidData(ecu, pid);
                } else {
                    break;
                }
                result.append({ecu.address, QByteArray("\x41", 1) + char(pid) + data});
                break;
            }
            case 0x03: result += codes(ecu, 0x43, ecu.stored); break;
            case 0x07: result += codes(ecu, 0x47, ecu.pending); break;
            case 0x0A: result += codes(ecu, 0x4A, ecu.permanent); break;
            case 0x04:
                // Clearing forgets the stored and pending codes; permanent ones stay until the
                // computer has seen the fault gone for itself.
                ecu.stored.clear();
                ecu.pending.clear();
                result.append({ecu.address, QByteArray("\x44", 1)});
                break;
            default: break;
        }
    }
    return result;
}
