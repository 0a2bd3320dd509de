// The whole program at 1920 x 1080 against the simulated controller on a pseudo-terminal:
//  - the work per live frame through every view shown on a page (status panel, readings grids,
//    chart cursor, ...), from the link's frame event to the painted window, wall clock and processor
//    time of this thread;
//  - the link's send-slot period (its 25 ms tick) from the running event loop, with the window idle and
//    with live frames painted on the busiest page, side by side in one run;
//  - start-up to a painted window: this program started again as a child that builds the main window,
//    shows it and reports its first paint;
//  - resident memory after a simulated hour of live frames: a child process drives the link's tick and
//    the simulator's turn directly, as fast as they go, for as many ticks as an hour holds (144000 of
//    25 ms), and reports its resident memory at half time and at the end.
// Lines are "name value": milliseconds, except *_mb (megabytes) and *_pct (per cent).
#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QProcess>
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "base/Prompt.h"
#include "base/TextTable.h"
#include "link/LinkEvents.h"
#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "shell/Unitmain.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

// The oscilloscope joins the pages measured once the program has it.
#if __has_include("scope/Toscyloskop.h")
#define KAVELO_BENCH_SCOPE 1
#include "scope/Toscyloskop.h"
#endif

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kTickMs = 25;
constexpr int kTicksPerHour = 3600 * 1000 / kTickMs;

void report(const std::string& name, double value)
{
    std::printf("%s %.4f\n", name.c_str(), value);
    std::fflush(stdout);
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Resident set of this process in megabytes (VmRSS of /proc/self/status).
double residentMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// The main window connected to the simulated controller, at full HD.
struct Workshop {
    PtyPort pty;
    ControllerSim sim;
    QTemporaryDir dir;
    ScriptedPrompt answers;
    TForm1 form;
    bool ok = false;

    Workshop()
    {
        if (!programTexts().load() || !pty.open()) return;
        // The window's own work is measured, turn by turn: the replies come at once.
        sim.setWireTiming(false);
        sim.attach(&pty);
        pty.setWatching(false);
        const QString path = dir.filePath(QStringLiteral("ZorUDU.conf"));
        form.openPreferences = [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); };
        form.prompt = &answers;
        form.portOverride = PortNames::numberForDevice(pty.devicePath());
        form.FormCreate();
        form.resize(kWidth, kHeight);
        form.show();
        if (!QTest::qWaitForWindowExposed(&form)) return;
        form.FormShow();
        form.Timer1->stop();
        form.Timer2->stop();
        link().timer()->stop();
        ok = link().PortConnected() && settle();
    }
    TSterownik& link() { return *form.Sterownik1; }
    // One link tick and one simulator turn.
    void turn()
    {
        link().Timer1OnTimer();
        sim.poll();
    }
    bool settle()
    {
        for (int i = 0; i < 40000; ++i) {
            if (link().mem.identity[0] != 0 && link().readMask == 0 && link().writeMask == 0) return true;
            turn();
        }
        return false;
    }
    // The full-detail view level (readings grids in the left panel) and top tab `tab`.
    void showTab(int tab)
    {
        form.MenuView0Click(2);
        form.SpeedButton1Click(tab);
        QCoreApplication::processEvents();
    }
#ifdef KAVELO_BENCH_SCOPE
    // The Oscilloscope tab with `traces` traces shown, in Play; with `recordTo`, recording to that file.
    void playScope(int traces, const QString& recordTo = {})
    {
        int shown = 0;
        for (int c = 0; c < link().channels().size(); ++c) {
            const bool draw = shown < traces && link().channels()[c].id != 0;
            link().setChannelShown(c, kChannelDrawn, draw);
            if (draw) ++shown;
        }
        showTab(4);
        form.BitBtnOsc01Click(1);
        if (!recordTo.isEmpty()) {
            answers.fileAnswers = QStringList{recordTo};
            form.BitBtnOsc01Click(4);
        }
        QCoreApplication::processEvents();
    }
#endif
};

// A live frame as the link received it: turns until one arrives and copies the receive buffer.
// The first live frame the simulated controller sends, as the link hands it on.
bool catchLiveFrame(Workshop& w, LiveFrame& out)
{
    bool caught = false;
    QObject receiver;
    QObject::connect(&w.link(), &TSterownik::liveFrame, &receiver, [&](const LiveFrame& frame) {
        if (caught) return;
        out = frame;
        caught = true;
    });
    for (int i = 0; i < 2000 && !caught; ++i) w.turn();
    return caught;
}

// Work per live frame on top tab `tab`: the frame event with a moving engine, then the paint.
void measureLiveFrame(Workshop& w, const LiveFrame& frame, int tab, const std::string& name)
{
    w.showTab(tab);
    std::vector<double> wall, cpu;
    QElapsedTimer t;
    constexpr int kRuns = 400;
    for (int i = 0; i < kRuns + 10; ++i) {
        std::array<uint8_t, LiveFrame::kSize> bytes{};
        std::copy_n(frame.data(), LiveFrame::kSize, bytes.begin());
        // Readings move from frame to frame, as on a running engine, so every view has work.
        for (int b = 12; b < frame.length() - 2 && b < 120; b += 3) bytes[size_t(b)] = uint8_t(frame.byte(b) + i);
        const LiveFrame moving(bytes.data(), frame.length());
        t.start();
        const double c0 = threadCpuMs();
        w.form.LiveFrameReceived(moving);
        QCoreApplication::processEvents();
        const double c1 = threadCpuMs();
        if (i < 10) continue;
        wall.push_back(double(t.nsecsElapsed()) / 1e6);
        cpu.push_back(c1 - c0);
    }
    report(name, median(wall));
    report(name + "_cpu", median(cpu));
}

// The link's tick period from the running event loop over `ms` milliseconds, with the simulator
// answering from the same loop: the median and the mean gap between ticks.
double measureSendSlot(Workshop& w, int ms, const std::string& name)
{
    std::vector<double> gaps;
    QElapsedTimer t;
    t.start();
    qint64 last = -1;
    const auto c = QObject::connect(w.link().timer(), &QTimer::timeout, [&] {
        const qint64 now = t.nsecsElapsed();
        if (last >= 0) gaps.push_back(double(now - last) / 1e6);
        last = now;
    });
    w.pty.setWatching(true);
    w.link().timer()->start();
    QTest::qWait(ms);
    w.link().timer()->stop();
    w.pty.setWatching(false);
    QObject::disconnect(c);
    double sum = 0;
    for (double g : gaps) sum += g;
    const double mean = gaps.empty() ? 0 : sum / double(gaps.size());
    report(name, mean);
    report(name + "_median", median(gaps));
    return mean;
}

// Child: builds and shows the window, prints "painted MS" at its first paint and exits.
int startupChild(int argc, char** argv)
{
    QElapsedTimer t;
    t.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ZorUDU"));
    QCoreApplication::setApplicationName(QStringLiteral("Kavelo"));
    QTemporaryDir dir;
    ScriptedPrompt answers;
    TForm1 form;
    const QString path = dir.filePath(QStringLiteral("ZorUDU.conf"));
    form.openPreferences = [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); };
    form.prompt = &answers;
    struct PaintWatch : QObject {
        bool painted = false;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint) painted = true;
            return false;
        }
    } watch;
    form.installEventFilter(&watch);
    form.FormCreate();
    form.resize(kWidth, kHeight);
    form.show();
    form.FormShow();
    while (!watch.painted) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // The paint event has been delivered; the flush of the painted window follows it.
    QCoreApplication::processEvents();
    // Processor time of the whole process since it was started, loading the libraries included.
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const double cpu = (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
    std::printf("painted %.3f %.3f\n", double(t.nsecsElapsed()) / 1e6, cpu);
    std::fflush(stdout);
    return 0;
}

// Start-up of `runs` children, from process start to the painted window, median.
void measureStartup(const QString& self, int runs)
{
    std::vector<double> outside, inside, cpu;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(self, {QStringLiteral("--startup-child")});
        if (!p.waitForReadyRead(30000)) break;
        const double ms = double(t.nsecsElapsed()) / 1e6;
        const QByteArray line = p.readAll().trimmed();
        p.waitForFinished(30000);
        if (!line.startsWith("painted ")) break;
        const QList<QByteArray> parts = line.split(' ');
        outside.push_back(ms);
        inside.push_back(parts.value(1).toDouble());
        cpu.push_back(parts.value(2).toDouble());
    }
    report("startup_painted", median(outside));
    report("startup_painted_inside", median(inside));
    report("startup_painted_cpu", median(cpu));
}

// Child: an hour of live frames at full speed; prints the resident memory at half time and at the end.
int soakChild(int argc, char** argv, int minutes, int tab)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Workshop w;
    if (!w.ok) {
        std::fprintf(stderr, "bench_live: no connection to the simulated controller\n");
        return 1;
    }
#ifdef KAVELO_BENCH_SCOPE
    (void)tab;
    w.playScope(20, w.dir.filePath(QStringLiteral("hour.osc")));
#else
    w.showTab(tab);
#endif
    const int ticks = kTicksPerHour / 60 * minutes;
    // The oscilloscope places its samples by receive time: here the ticks are the time, so the
    // simulated hour records as many samples as a real one.
    qint64 simulatedMs = 0;
    w.link().setReceiveClock([&] { return simulatedMs; });
    QElapsedTimer t;
    t.start();
    const double cpu0 = threadCpuMs();
    double half = 0;
    for (int i = 1; i <= ticks; ++i) {
        simulatedMs = qint64(i) * kTickMs;
        w.turn();
        // The window's own timers: the 100 ms status tick and the one-second tick.
        if (i % 4 == 0) w.form.Timer1Timer();
        if (i % 40 == 0) w.form.Timer2Timer();
        QCoreApplication::processEvents();
        if (i == ticks / 2) half = residentMb();
    }
    const double end = residentMb();
    report("soak_hour_wall_s", double(t.elapsed()) / 1e3);
    report("soak_hour_cpu_s", (threadCpuMs() - cpu0) / 1e3);
    report("soak_requests", double(w.sim.requests));
    report("soak_rss_half_mb", half);
    report("soak_rss_mb", end);
    report("soak_rss_growth_pct", half > 0 ? (end - half) / half * 100.0 : 0);
#ifdef KAVELO_BENCH_SCOPE
    report("soak_recording_mb", double(QFileInfo(w.dir.filePath(QStringLiteral("hour.osc"))).size()) / 1048576.0);
#endif
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int soakMinutes = 60;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--startup-child") == 0) return startupChild(argc, argv);
        if (std::strcmp(argv[i], "--soak-child") == 0 && i + 1 < argc)
            return soakChild(argc, argv, std::atoi(argv[i + 1]), 2);
        if (std::strcmp(argv[i], "--soak-minutes") == 0 && i + 1 < argc) soakMinutes = std::atoi(argv[i + 1]);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    {
        Workshop w;
        if (!w.ok) {
            std::fprintf(stderr, "bench_live: no connection to the simulated controller\n");
            return 1;
        }
        LiveFrame frame;
        if (!catchLiveFrame(w, frame)) {
            std::fprintf(stderr, "bench_live: the simulated controller sent no live frame\n");
            return 1;
        }
        // The pages that show live frames: calibration (grids, diagnostics), map (chart cursor).
        measureLiveFrame(w, frame, 1, "live_frame_calibration");
        measureLiveFrame(w, frame, 2, "live_frame_map");
#ifdef KAVELO_BENCH_SCOPE
        w.playScope(20);
        measureLiveFrame(w, frame, 4, "live_frame_scope_play_20traces");
#endif

        // Send slot: idle window (settings page, nothing live on it), then the map page with its
        // live views, one after the other in this run.
        w.showTab(0);
        const double idle = measureSendSlot(w, 5000, "send_slot_idle");
#ifdef KAVELO_BENCH_SCOPE
        w.playScope(20);
        const double live = measureSendSlot(w, 5000, "send_slot_scope_play");
#else
        w.showTab(2);
        const double live = measureSendSlot(w, 5000, "send_slot_live");
#endif
        report("send_slot_longer_pct", idle > 0 ? (live - idle) / idle * 100.0 : 0);
    }
    measureStartup(self, 9);

    QProcess soak;
    soak.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    soak.start(self, {QStringLiteral("--soak-child"), QString::number(soakMinutes)});
    soak.waitForFinished(-1);
    std::fputs(soak.readAllStandardOutput().constData(), stdout);
    return soak.exitCode();
}
