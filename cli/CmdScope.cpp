// kavelo-cli record, osc-info and osc2csv: oscilloscope recordings without the window.
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>

#include <cstdio>
#include <vector>

#include "base/AtomicSave.h"
#include "base/TextTable.h"
#include "cli/CliArgs.h"
#include "cli/CliLink.h"
#include "cli/Commands.h"
#include "link/ChannelTable.h"
#include "link/IdentityReader.h"
#include "link/OscFile.h"
#include "link/ScopeCsv.h"
#include "link/SettingsFileOps.h"

namespace {

// Every region the link reads, so that the head holds the controller's whole memory image.
constexpr uint32_t kAllRegions = 0xFFFFFFFFu;
// Samples converted per step of osc2csv; a longer recording shows its progress.
constexpr int kChunk = 6000;

int refused(const QString& path, int code) { return CliArgs::failCode(1, code, path); }

// The controller's identity line as the main window's caption shows it.
QString identityLine(const MemoryImage& mem)
{
    const IdentityReader identity(mem);
    const QString model = identity.model();
    const QString version = identity.firmware(0x0E).trimmed();
    if (model.isEmpty() && version.isEmpty()) return QStringLiteral("unknown");
    return (model + QStringLiteral("  ") + version).trimmed();
}

QString seconds(qint64 samples) { return QStringLiteral("%1.%2").arg(samples / 10).arg(samples % 10); }

}  // namespace

int cmdRecord(const QStringList& arguments)
{
    QStringList args = arguments;
    QString port, secondsText = QStringLiteral("0");
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) ||
        !CliArgs::takeOption(args, QStringLiteral("--seconds"), secondsText) || port.isEmpty() || args.size() != 1)
        return CliArgs::fail(2, QStringLiteral("usage: kavelo-cli record --port DEVICE FILE.osc [--seconds N]"));
    bool ok = false;
    const int limit = secondsText.toInt(&ok);
    if (!ok || limit < 0) return CliArgs::fail(2, QStringLiteral("--seconds takes a number of seconds"));
    const QString path = args.first();
    if (const int rc = CliArgs::refuseOutput(path, OscFile::CannotCreate)) return rc;

    CliLink cli;
    if (const int rc = cli.open(port)) return rc;
    if (!cli.identify(kAllRegions)) return 1;
    TSterownik& l = cli.link;
    if (!cli.runUntil([&] { return l.readsDone(~0u); })) return 1;
    if (CliLink::interrupted()) return CliArgs::fail(1, QStringLiteral("stopped before the recording began"));

    if (const int rc = l.ZapiszOscyloskop(path, nullptr, 0)) return refused(path, rc);
    qint64 samples = 0;
    int failure = 0;
    auto append = [&](const LiveFrame& sample) {
        if (!failure) failure = l.DopiszOscyloskop(sample.data(), 0);
        if (!failure) ++samples;
    };
    // Declared after what the handler uses, so the connection ends before they do.
    QObject receiver;
    QObject::connect(&l, &TSterownik::liveFrame, &receiver, [&](const LiveFrame& frame) {
        if (failure) return;
        // The frame with the OBD status block appended is a sample, placed by its receive time so
        // that the recording keeps 0.1 s a sample.
        cli.session.recorder().place(frame, append);
    });
    QElapsedTimer clock;
    clock.start();
    const bool answered =
        cli.runUntil([&] { return failure != 0 || (limit > 0 && clock.elapsed() >= limit * 1000LL); });
    l.ZamnkijOscyloskop();
    CliArgs::out() << samples << " samples" << Qt::endl;
    if (failure) return refused(path, failure);
    return answered ? 0 : 1;
}

int cmdOscInfo(const QStringList& arguments)
{
    QStringList args = arguments;
    if (args.size() != 1) return CliArgs::fail(2, QStringLiteral("usage: kavelo-cli osc-info FILE.osc"));
    const QString path = args.first();
    MemoryImage mem;
    qint64 samples = 0;
    if (const int rc = OscFile::loadHead(path, mem, samples)) return refused(path, rc);
    CliArgs::out() << "Samples:\t" << samples << '\n'
                   << "Duration:\t" << seconds(samples) << " s\n"
                   << "Controller:\t" << identityLine(mem) << Qt::endl;
    return 0;
}

int cmdOsc2Csv(const QStringList& arguments)
{
    QStringList args = arguments;
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    if (args.isEmpty() || args.size() > 2)
        return CliArgs::fail(2, QStringLiteral("usage: kavelo-cli osc2csv FILE.osc [OUT.csv] [--lang LANG]"));
    const QString path = args[0];
    const QString outPath = args.size() > 1 ? args[1] : QString();

    MemoryImage head;
    qint64 total = 0;
    if (const int rc = OscFile::loadHead(path, head, total)) return refused(path, rc);
    // The columns follow the recorded controller's settings and identity.
    ChannelTable table;
    table.adaptToLoadSignal(head);
    table.adaptToController(head);
    const QVector<ScopeCsv::Column> columns = ScopeCsv::columns(table);
    const QByteArray point = ScopeCsv::decimalPoint();

    QFile in(path);
    if (!in.open(QIODevice::ReadOnly) || !in.seek(OscFile::kHeadSize)) return refused(path, OscFile::CannotOpen);
    const bool showProgress = !outPath.isEmpty() && total > kChunk;
    QTextStream& err = CliArgs::err();

    std::vector<uint8_t> chunk(static_cast<size_t>(kChunk) * OscFile::kSampleSize);
    auto writeAll = [&](QIODevice& out) {
        QByteArray text = ScopeCsv::encode(ScopeCsv::header(columns));
        if (out.write(text) != text.size()) return false;
        qint64 done = 0;
        while (done < total) {
            const qint64 want = std::min<qint64>(kChunk, total - done) * OscFile::kSampleSize;
            const qint64 got = in.read(reinterpret_cast<char*>(chunk.data()), want);
            const int n = got > 0 ? static_cast<int>(got / OscFile::kSampleSize) : 0;
            if (n == 0) break;  // the file shrank while being read: export what was there
            text.clear();
            ScopeCsv::appendRows(text, columns, chunk.data(), n, done, point);
            if (out.write(text) != text.size()) return false;
            done += n;
            if (showProgress) err << "\rosc2csv: " << done << " / " << total << " samples" << Qt::flush;
        }
        if (showProgress) err << Qt::endl;
        return true;
    };

    if (outPath.isEmpty()) {
        CliArgs::out().flush();
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || !writeAll(out) || !out.flush())
            return CliArgs::failCode(1, OscFile::CsvFailed);
        return 0;
    }
    if (!AtomicSave::save(outPath, writeAll)) return refused(outPath, OscFile::CsvFailed);
    return 0;
}
