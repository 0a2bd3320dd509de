// Oscilloscope benchmarks at 1920 x 1080 with 34 traces, a full 36000-sample buffer and 40 samples
// per pixel: the full redraw of the Play path (one live frame), the load of a 36000-sample
// recording and its CSV export, the export also timed against bench/osc2csv.py on the same file.
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>
#include <QtCore/QLocale>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtWidgets/QApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "base/TextTable.h"
#include "link/OscFile.h"
#include "link/ScopeCsv.h"
#include "link/Tsterownik.h"
#include "scope/Toscyloskop.h"

namespace {

template <typename Step>
double medianMs(int runs, Step step)
{
    for (int i = 0; i < 2; ++i) step(i);
    std::vector<double> ms;
    QElapsedTimer t;
    for (int i = 0; i < runs; ++i) {
        t.start();
        step(i);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::nth_element(ms.begin(), ms.begin() + runs / 2, ms.end());
    return ms[size_t(runs / 2)];
}

void report(const char* name, double ms) { std::printf("%s %.3f\n", name, ms); }

// A live frame of a running engine at time i: every reading moves, so every trace has strokes.
void fillSample(uint8_t* s, int i)
{
    for (int b = 0; b < 128; ++b) s[b] = uint8_t((b * 37 + i * (b % 7 + 1)) & 0xFF);
    const int rpm = 80 + int(60 * (1 + std::sin(i * 0.01)));
    s[10] = uint8_t(i / 600 % 2 ? 6 : 4);
    s[11] = 3;
    s[17] = uint8_t(rpm);
    s[18] = 0;
    for (int o = 40; o < 92; o += 2) {
        const int v = 300 + int(250 * std::sin(i * 0.003 * (o - 38) + o));
        s[o] = uint8_t(v & 0xFF);
        s[o + 1] = uint8_t(v >> 8);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    programTexts().load();
    programLanguage() = TextTable::English;
    QTemporaryDir dir;

    TSterownik link;
    link.timer()->stop();
    // 34 traces.
    int drawn = 0;
    for (int c = 0; c < link.channels().size(); ++c) {
        const bool draw = drawn < 34 && link.channels()[c].id != 0;
        link.setChannelShown(c, kChannelDrawn, draw);
        if (draw) ++drawn;
    }

    // A recording of 36000 samples: 4.6 MB.
    const QString osc = dir.filePath(QStringLiteral("drive.osc"));
    {
        QByteArray bytes = OscFile::encodeHead(link.mem);
        QByteArray sample(128, '\0');
        for (int i = 0; i < OscFile::kMaxSamples; ++i) {
            fillSample(reinterpret_cast<uint8_t*>(sample.data()), i);
            bytes += sample;
        }
        QFile f(osc);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return 1;
    }

    TScope scope;
    scope.link = &link;
    scope.resize(1920, 1080);
    scope.show();
    int count = 0;
    report("scope_load_36000", medianMs(20, [&](int) { link.CzytajOscyloskop(osc, scope.samples(), count); }));
    scope.samplesChanged();
    if (count != OscFile::kMaxSamples) return 1;

    scope.timeBase = 8;
    scope.samplesPerPixel = 40;
    scope.layout = 3;
    scope.state = TScope::Play;
    // Just below the wrap, so that every frame of the run keeps a full buffer behind it.
    scope.sampleCount = OscFile::kMaxSamples - 200;
    std::vector<uint8_t> frame(128);
    report("scope_redraw_play_1920x1080_34traces", medianMs(101, [&](int i) {
               fillSample(frame.data(), i);
               scope.AddSample(frame.data());
           }));
    report("scope_redraw_full_1920x1080_34traces", medianMs(51, [&](int) { scope.Draw(0); }));
    // Read state: the load and the first picture of it, with every trace decoded afresh.
    scope.state = TScope::Read;
    report("scope_load_36000_and_first_redraw", medianMs(11, [&](int) {
               link.CzytajOscyloskop(osc, scope.samples(), count);
               scope.samplesChanged();
               scope.sampleCount = count;
               scope.windowEnd = count;
               scope.Draw(0);
           }));

    // The recording as it is on disk again, for the export beside the Python script.
    link.CzytajOscyloskop(osc, scope.samples(), count);
    const QString csv = dir.filePath(QStringLiteral("drive.csv"));
    const double cpp = medianMs(11, [&](int) { ScopeCsv::save(csv, link.channelTable(), scope.samples(), count); });
    report("scope_csv_export_36000", cpp);

    // The same export in plain Python, with the same columns.
    QJsonArray columns;
    for (const ScopeCsv::Column& c : ScopeCsv::columns(link.channelTable()))
        columns.append(QJsonObject{{QStringLiteral("label"), c.id > 0 ? TextById(c.id) : QString()},
                                   {QStringLiteral("type"), c.channel.type},
                                   {QStringLiteral("offset"), c.channel.offset},
                                   {QStringLiteral("scale"), c.channel.scale},
                                   {QStringLiteral("decimals"), c.decimals}});
    const QString spec = dir.filePath(QStringLiteral("columns.json"));
    {
        QFile f(spec);
        if (!f.open(QIODevice::WriteOnly)) return 1;
        f.write(QJsonDocument(columns).toJson());
    }
    const QString pyCsv = dir.filePath(QStringLiteral("drive-py.csv"));
    const double py = medianMs(3, [&](int) {
        QProcess p;
        p.start(QStringLiteral("python3"), {QStringLiteral(KAVELO_OSC2CSV_PY), osc, pyCsv, spec});
        p.waitForFinished(-1);
    });
    report("scope_csv_export_36000_python", py);

    if (qEnvironmentVariableIsSet("KAVELO_BENCH_KEEP")) {
        QFile::copy(csv, QStringLiteral("/tmp/bench-cpp.csv"));
        QFile::copy(pyCsv, QStringLiteral("/tmp/bench-py.csv"));
    }
    QFile a(csv), b(pyCsv);
    const bool same = a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.readAll() == b.readAll();
    std::fflush(stdout);
    std::fprintf(stderr, "csv export: %.1f times faster than Python; outputs %s\n", py / cpp,
                 same ? "identical" : "DIFFER");
    return same ? 0 : 1;
}
