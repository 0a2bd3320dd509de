// kavelo-cli obd: the OBD reader against an ELM327 adapter (a serial device or a Wi-Fi adapter's
// HOST:PORT), run by its own 100 ms timer.
#include <QtCore/QElapsedTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>

#include <functional>
#include <map>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "base/Tools.h"
#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "link/PortAddress.h"
#include "obd/ObdReplyText.h"
#include "obd/Telmobd.h"

namespace {

// Everything the reader does takes at most this long on a working adapter, even on the slow buses.
constexpr int kLimitMs = 90000;

enum class Outcome { Done, Failed };

// Runs the event loop, so that the reader's timer ticks, until `done` holds or the loop fails.
// Failures are the reader's own: no adapter, no protocol, the port lost, a restart of the search.
Outcome runUntil(TObd& obd, const std::function<bool()>& done, QString& error)
{
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    Outcome outcome = Outcome::Failed;
    bool searched = obd.state >= 100;  // the loop has been past the adapter search once
    int lastState = obd.state;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        const int state = obd.state;
        const auto& status = obd.panels.status;
        if (done()) {
            outcome = Outcome::Done;
        } else if (status[ObdPanels::RowElm] == QString::fromUtf8(ObdPanels::kNoAdapter)) {
            error = TextById(OwnText::ObdNoAdapterOn).arg(obd.portName);
        } else if (state == 223 || state == 224) {
            error = TextById(OwnText::ObdNoCarProtocol);
        } else if ((state == 0 && !obd.justOpened) || !obd.PortConnected()) {
            // A network adapter says why: the connection refused, not made in time, closed.
            error = obd.portError().isEmpty() ? TextById(OwnText::ObdPortLost) : obd.portError();
        } else if (state == 3 && searched) {
            error = lastState == 1001 ? TextById(OwnText::ObdPidRepliesUnread) : TextById(OwnText::ObdAdapterSilent);
        } else if (clock.elapsed() > kLimitMs) {
            error = TextById(OwnText::ObdNotInTime);
        } else {
            searched = searched || state >= 100;
            lastState = state;
            return;
        }
        loop.quit();
    });
    watch.start(10);
    loop.exec();
    return outcome;
}

QString pidHex(int p) { return QString::fromLatin1(ObdReplyText::Hex(static_cast<uint32_t>(p))); }

// The code box in the command's language: headings in that language alone, each code with its
// Polish description for Polish where the table has one, else the English one.
void printCodes(const TObd& obd)
{
    const int language = programLanguage();
    const auto& box = obd.panels.codeBox;
    for (qsizetype i = 0; i < box.size(); ++i) {
        const ObdPanels::CodeLine& line = box[i];
        if (line.table == kResourceDtcPolish && language != TextTable::Polish) continue;
        if (line.table == kResourceDtcEnglish && language == TextTable::Polish && i + 1 < box.size() &&
            box[i + 1].table == kResourceDtcPolish)
            continue;
        CliArgs::out() << ObdPanels::inLanguage(line.text, language) << '\n';
    }
}

int readCodes(TObd& obd, QString& error)
{
    obd.WcisnietoPrzycisk(3);
    bool entered = false;
    const auto finished = [&] {
        entered = entered || obd.state >= 3000;
        return entered && obd.state < 3000;
    };
    if (runUntil(obd, finished, error) != Outcome::Done) return CliArgs::fail(1, error);
    if (obd.panels.codeBox.isEmpty()) return CliArgs::fail(1, TextById(OwnText::ObdNoCodeReplies));
    printCodes(obd);
    return 0;
}

}  // namespace

int cmdObd(const QStringList& argsIn)
{
    QStringList args = argsIn;
    QString port, select, cycles = QStringLiteral("1");
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    if (!CliArgs::takeOption(args, QStringLiteral("--elm-port"), port) ||
        !CliArgs::takeOption(args, QStringLiteral("--select"), select) ||
        !CliArgs::takeOption(args, QStringLiteral("--cycles"), cycles))
        return CliArgs::fail(2, QStringLiteral("an option lacks its value"));
    if (args.size() != 1) return CliArgs::fail(2, QStringLiteral("obd needs one of: status, pids, codes, clear"));
    const QString action = args.first();
    if (action != QLatin1String("status") && action != QLatin1String("pids") && action != QLatin1String("codes") &&
        action != QLatin1String("clear"))
        return CliArgs::fail(2, QStringLiteral("unknown obd action ") + action);
    if (port.isEmpty()) return CliArgs::fail(2, QStringLiteral("obd needs --elm-port DEVICE or HOST:PORT"));
    const bool network = PortAddress::isAddress(port);
    const int number = network ? 0 : CliArgs::portNumber(port);
    if (!network && number <= 0) return CliArgs::fail(2, QStringLiteral("not a port: ") + port);
    bool ok = false;
    const int cycleCount = cycles.toInt(&ok);
    if (!ok || cycleCount < 1) return CliArgs::fail(2, QStringLiteral("--cycles needs a positive number"));
    QList<int> wanted;
    for (const QString& p : select.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int n = p.trimmed().toInt(&ok, 16);
        if (!ok || n < 0 || n > 0x80) return CliArgs::fail(2, QStringLiteral("not a PID: ") + p);
        wanted << n;
    }

    TObd obd;
    obd.locale = QLocale::c();
    if (!(network ? obd.PortOpenAddress(port) : obd.PortOpen(number)))
        return CliArgs::fail(1, obd.portError().isEmpty() ? QStringLiteral("cannot open ") + port : obd.portError());
    QString error;
    if (runUntil(
            obd, [&] { return obd.state == 1000; }, error) != Outcome::Done)
        return CliArgs::fail(1, error);

    if (action == QLatin1String("status")) {
        for (int row = 0; row < ObdPanels::RowCount; ++row)
            CliArgs::out() << ObdPanels::kLabels[row] << '\t'
                           << ObdPanels::inLanguage(obd.panels.status[row], programLanguage()) << '\n';
        CliArgs::out().flush();
        if (obd.panels.status[ObdPanels::RowEcu].isEmpty()) return CliArgs::fail(1, TextById(OwnText::ObdNoEcu));
        return 0;
    }

    if (action == QLatin1String("pids")) {
        if (!wanted.isEmpty()) {
            for (auto& p : obd.pidy) p.selected = false;
            for (const int p : wanted) {
                if (obd.pidy[p].supported) obd.pidy[p].selected = true;
                else CliArgs::err() << "kavelo-cli: " << TextById(OwnText::ObdPidUnsupported).arg(pidHex(p)) << '\n';
            }
            CliArgs::err().flush();
        }
        std::map<int, int> decoded;  // polled PID -> decodes seen
        for (int p = 0; p < obd.pidy.size(); ++p)
            if (obd.pidy[p].supported && obd.pidy[p].selected) decoded[p] = 0;
        if (decoded.empty()) return CliArgs::fail(1, TextById(OwnText::ObdNoPidSupported));
        // Each value decoded by the polling cycle is printed as it arrives.
        QObject::connect(&obd, &TObd::pidGridChanged, [&] {
            const int p = obd.currentPid;
            if (obd.state != 1001 || !decoded.count(p)) return;
            ++decoded[p];
            const pid& entry = obd.pidy[p];
            CliArgs::out() << pidHex(p) << '\t' << entry.name << '\t' << entry.shortName << '\t'
                           << obd.panels.pidValues[p] << '\n';
            CliArgs::out().flush();
        });
        const auto enough = [&] {
            for (const auto& [p, n] : decoded)
                if (n < cycleCount) return false;
            return true;
        };
        if (runUntil(obd, enough, error) != Outcome::Done) return CliArgs::fail(1, error);
        return 0;
    }

    if (action == QLatin1String("clear")) {
        obd.WcisnietoPrzycisk(4);
        bool entered = false;
        const auto sent = [&] {
            entered = entered || obd.state == 4001;
            return entered && obd.state != 4001;
        };
        if (runUntil(obd, sent, error) != Outcome::Done) return CliArgs::fail(1, error);
        CliArgs::out() << TextById(OwnText::ObdCleared) << '\n';
    }
    const int result = readCodes(obd, error);
    CliArgs::out().flush();
    return result;
}
