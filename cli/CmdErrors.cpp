// kavelo-cli errors / clear-errors: the controller's current errors and stored counters.
#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "cli/CliArgs.h"
#include "cli/CliLink.h"
#include "cli/Commands.h"

namespace {

// Text ID of bit `bit` of error-list byte `byte` (6..12); 0 for bits that carry no error.
int errorTextId(int byte, int bit)
{
    switch (byte) {
        case 6: return 1901 + bit;
        case 7: {
            static constexpr int kSupply[8] = {1911, 1912, 0, 0, 1913, 1914, 1915, 0};
            return kSupply[bit];
        }
        case 8: return 1921 + bit;
        case 9: return bit < 4 ? 1931 + bit : 0;
        case 10: return 1940;
        case 11: return 1950;
        case 12: return 1960;
        default: return 0;
    }
}

QString errorText(int byte, int bit)
{
    QString text = TextById(errorTextId(byte, bit));
    if (byte >= 10) text += QLatin1Char(' ') + QString::number(bit + 1);  // injector number
    return text;
}

bool parseArgs(const QStringList& arguments, const char* name, QString& port)
{
    QStringList args = arguments;
    if (!CliArgs::takeLanguage(args)) {
        CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
        return false;
    }
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) || port.isEmpty() || !args.isEmpty()) {
        CliArgs::fail(2, QStringLiteral("usage: kavelo-cli %1 --port DEVICE [--lang LANG]").arg(QLatin1String(name)));
        return false;
    }
    return true;
}

// Waits for an error list and a live frame after it, then prints them.
int readAndPrint(CliLink& cli)
{
    TSterownik& l = cli.link;
    QByteArray list;
    bool live = false;
    auto previous = cli.onEvent;
    cli.onEvent = [&](int kind, int code, int, int) {
        if (kind != kEventFrameReceived) return;
        if (code == 0x82) {
            const LiveFrame& reply = l.errorList();
            list = QByteArray(reinterpret_cast<const char*>(reply.data()), reply.size());
        }
        if (code >= 0x90 && code <= 0x9F && !list.isEmpty()) live = true;
    };
    const bool ok = cli.runUntil([&] { return live; });
    cli.onEvent = previous;
    if (!ok || CliLink::interrupted()) return 1;
    if (list.size() < 69) return CliArgs::fail(1, QStringLiteral("short error list from %1").arg(cli.device));

    QTextStream& out = CliArgs::out();
    int shown = 0;
    for (int byte = 6; byte <= 12; ++byte)
        for (int bit = 0; bit < 8; ++bit)
            if ((uint8_t(list[byte]) >> bit & 1) && errorTextId(byte, bit)) {
                out << errorText(byte, bit) << '\n';
                ++shown;
            }
    // Stored counters are there when the controller says so in its live status.
    if (l.liveStatus[1] & 0x10) {
        out << '\n' << '\t' << TextById(1233) << ":\n\n";
        for (int byte = 6; byte <= 12; ++byte)
            for (int bit = 0; bit < 8; ++bit) {
                const int count = uint8_t(list[13 + 8 * (byte - 6) + bit]);
                if (count && errorTextId(byte, bit)) {
                    out << count << " x " << errorText(byte, bit) << '\n';
                    ++shown;
                }
            }
    }
    // An empty answer says so, so that a cleared controller is told from a command that did nothing.
    if (shown == 0) out << TextById(OwnText::NoErrorsStored) << '\n';
    out.flush();
    return 0;
}

}  // namespace

int cmdErrors(const QStringList& arguments)
{
    QString port;
    if (!parseArgs(arguments, "errors", port)) return 2;
    CliLink cli;
    if (const int rc = cli.open(port)) return rc;
    if (!cli.identify(0)) return 1;
    return readAndPrint(cli);
}

int cmdClearErrors(const QStringList& arguments)
{
    QString port;
    if (!parseArgs(arguments, "clear-errors", port)) return 2;
    CliLink cli;
    // The history is read first: clearing errors is recorded in it.
    if (const int rc = cli.open(port)) return rc;
    if (!cli.identify(0x80)) return 1;
    TSterownik& l = cli.link;
    l.requestCommand(TSterownik::CmdClearErrors);
    if (!cli.runUntil([&] { return !l.commandPending(TSterownik::CmdClearErrors); })) return 1;
    if (CliLink::interrupted()) return 1;
    const int result = readAndPrint(cli);
    if (!cli.flushWrites()) return 1;
    return result;
}
