#include "sim/controller/ControllerIdentity.h"

namespace {

bool takeInt(QStringList& args, const char* name, int& value, int low, int high, QString& error)
{
    const qsizetype i = args.indexOf(QLatin1String(name));
    if (i < 0) return true;
    bool ok = false;
    const int v = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
    if (!ok || v < low || v > high) {
        error = QStringLiteral("%1 takes a number from %2 to %3").arg(QLatin1String(name)).arg(low).arg(high);
        return false;
    }
    value = v;
    args.remove(i, 2);
    return true;
}

bool takeText(QStringList& args, const char* name, QString& value, QString& error)
{
    const qsizetype i = args.indexOf(QLatin1String(name));
    if (i < 0) return true;
    if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value").arg(QLatin1String(name));
        return false;
    }
    value = args[i + 1];
    args.remove(i, 2);
    return true;
}

}  // namespace

bool ControllerIdentity::applyOptions(QStringList& args, QString& error)
{
    int injectorCount = version[1];
    const bool variantGiven = args.contains(QStringLiteral("--variant"));
    if (!takeInt(args, "--model", model, 1, 2, error) || !takeInt(args, "--injectors", injectorCount, 1, 8, error) ||
        !takeInt(args, "--variant", cylinderVariant, 0, 255, error) ||
        !takeInt(args, "--lambdas", lambdaInputs, 1, 2, error))
        return false;
    if (injectorCount != 4 && injectorCount != 6 && injectorCount != 8) {
        error = QStringLiteral("--injectors takes 4, 6 or 8");
        return false;
    }
    version[1] = injectorCount;
    // Unless told otherwise the board variant matches the injector count.
    if (!variantGiven) cylinderVariant = injectorCount;
    QString text;
    if (!takeText(args, "--bar-code", text, error)) return false;
    if (!text.isEmpty()) barCode = text.toLatin1().left(16);
    text.clear();
    if (!takeText(args, "--serial", text, error)) return false;
    if (!text.isEmpty()) {
        const QByteArray raw = QByteArray::fromHex(text.toLatin1());
        if (raw.size() != 13) {
            error = QStringLiteral("--serial takes 13 bytes in hexadecimal");
            return false;
        }
        serialNumber = raw;
    }
    text.clear();
    if (!takeText(args, "--version", text, error)) return false;
    if (!text.isEmpty()) {
        const QStringList parts = text.split(QLatin1Char('.'));
        bool ok = parts.size() == 3;
        for (int k = 0; ok && k < 3; ++k) version[k] = parts[k].toInt(&ok);
        if (!ok) {
            error = QStringLiteral("--version takes A.B.C");
            return false;
        }
    }
    return true;
}

QByteArray ControllerIdentity::bytes(int mode, const uint8_t adaptation[4]) const
{
    QByteArray b(80, '\0');
    auto put = [&](int at, int v) { b[at] = static_cast<char>(v & 0xFF); };
    auto put16 = [&](int at, int v) {
        put(at, v);
        put(at + 1, v >> 8);
    };
    put(5, mode);
    for (int i = 0; i < 16 && i < barCode.size(); ++i) b[6 + i] = barCode[i];
    for (int i = 0; i < 13 && i < serialNumber.size(); ++i) b[22 + i] = serialNumber[i];
    put(38, model);
    put(40, hardwareId40);
    put(42, lambdaInputs >= 2 ? 3 : 1);
    put(43, cylinderVariant);
    put(44, hardwareId44);
    for (int i = 0; i < 3; ++i) {
        put(46 + i, production[i]);
        put(50 + i, hardware[i]);
        put(58 + i, version[i]);
        put(62 + i, firmwareDate[i]);
    }
    put(53, letter);
    for (int i = 0; i < 4; ++i) put(66 + i, adaptation[i]);
    put16(70, petrolSeconds);
    put16(72, petrolHours);
    put16(74, gasSeconds);
    put16(76, gasHours);
    return b;
}
