#include "soak/SoakOptions.h"

#include <algorithm>

double SoakOptions::drainSeconds() const { return std::clamp(seconds / 10, 10.0, 60.0); }

double SoakOptions::warmUpSeconds() const { return std::clamp(seconds / 5, 10.0, 120.0); }

bool SoakOptions::parse(QStringList args, QString& error)
{
    auto number = [&](const char* name, double low, double high, double& value) {
        const qsizetype i = args.indexOf(QLatin1String(name));
        if (i < 0) return true;
        bool ok = false;
        const double v = i + 1 < args.size() ? args[i + 1].toDouble(&ok) : 0;
        if (!ok || v < low || v > high) {
            error = QStringLiteral("%1 takes a number from %2 to %3").arg(QLatin1String(name)).arg(low).arg(high);
            return false;
        }
        value = v;
        args.remove(i, 2);
        return true;
    };
    auto text = [&](const char* name, QString& value) {
        const qsizetype i = args.indexOf(QLatin1String(name));
        if (i < 0) return true;
        if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--"))) {
            error = QStringLiteral("%1 takes a value").arg(QLatin1String(name));
            return false;
        }
        value = args[i + 1];
        args.remove(i, 2);
        return true;
    };
    double minutes = -1;
    double editEvery = editEveryMs;
    double seedValue = seed;
    if (!text("--sim", simulator) || !number("--seconds", 10, 7 * 86400, seconds) ||
        !number("--minutes", 0.2, 7 * 1440, minutes) || !number("--corrupt", 0, 0.5, corrupt) ||
        !number("--drop", 0, 0.5, drop) || !number("--unplug-every", 0, 86400, unplugEvery) ||
        !number("--unplug-for", 0.1, 600, unplugFor) || !number("--edit-every-ms", 10, 600000, editEvery) ||
        !number("--seed", 0, 4294967295.0, seedValue) || !text("--log", logFile) || !text("--work-folder", workFolder))
        return false;
    if (minutes > 0) seconds = minutes * 60;
    editEveryMs = static_cast<int>(editEvery);
    seed = static_cast<uint32_t>(seedValue);
    if (!args.isEmpty()) {
        error = QStringLiteral("unknown option %1").arg(args.first());
        return false;
    }
    if (simulator.isEmpty()) {
        error = QStringLiteral("--sim names the kavelo-sim program to run");
        return false;
    }
    return true;
}

QString SoakOptions::usage()
{
    return QStringLiteral(
        "usage: kavelo-soak --sim KAVELO-SIM [--minutes M | --seconds S] [--corrupt SHARE] [--drop SHARE]\n"
        "                   [--unplug-every SECONDS] [--unplug-for SECONDS] [--edit-every-ms MS] [--seed N]\n"
        "                   [--log FILE] [--work-folder DIR]\n");
}
