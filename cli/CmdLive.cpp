// kavelo-cli live: the work state and the readings of the readings grid, frame by frame.
#include <QtCore/QVector>

#include "base/TextTable.h"
#include "cli/CliArgs.h"
#include "cli/CliLink.h"
#include "cli/Commands.h"

namespace {
constexpr int kReadingsGrid = 0x20;
}

int cmdLive(const QStringList& arguments)
{
    QStringList args = arguments;
    QString port, frames = QStringLiteral("0");
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    bool framesOk = false;
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) ||
        !CliArgs::takeOption(args, QStringLiteral("--frames"), frames) || port.isEmpty() || !args.isEmpty())
        return CliArgs::fail(2, QStringLiteral("usage: kavelo-cli live --port DEVICE [--frames N] [--lang LANG]"));
    const int limit = frames.toInt(&framesOk);
    if (!framesOk || limit < 0) return CliArgs::fail(2, QStringLiteral("--frames takes a number of frames"));

    CliLink cli;
    if (const int rc = cli.open(port)) return rc;
    // The settings say what the lambda channel shows.
    if (!cli.identify(0x1)) return 1;
    TSterownik& l = cli.link;
    if (!cli.runUntil([&] { return l.readsDone(0x1); })) return 1;

    QTextStream& out = CliArgs::out();
    QVector<QString> shown(l.PodajIleParamBiez(kReadingsGrid));
    int printed = 0;
    // Declared after what the handler uses, so the connection ends before they do.
    QObject receiver;
    QObject::connect(&l, &TSterownik::liveFrame, &receiver, [&](const LiveFrame& frame) {
        out << l.StrStanPracy(frame.workState(), 1);
        for (int n = 0; n < shown.size(); ++n) {
            const QString text = l.StrParamBiez(kReadingsGrid, n, frame);
            if (!text.isEmpty()) shown[n] = text;  // an unchanged reading keeps its last text
            const TWykres& w = l.channels()[l.PodajPozycje(kReadingsGrid, n)];
            out << '\t' << TextById(w.id) << '=' << shown[n];
            if (w.unit) out << ' ' << TextById(w.unit);
        }
        out << Qt::endl;
        ++printed;
    });
    if (!cli.runUntil([&] { return limit > 0 && printed >= limit; })) return 1;
    return 0;
}
