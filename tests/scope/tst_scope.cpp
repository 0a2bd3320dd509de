// The oscilloscope view as a widget: its arithmetic as tables, the buttons of the Oscilloscope tab
// with real clicks, recording, pausing, reading back and exporting through the main window, the
// ring buffer after a full load, traces drawn where the decoder puts them, the overview click, the
// read-out cursor, the Pause refresh and a failing recording.
#include <QtCore/QFile>
#include <QtCore/QLocale>
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <QtWidgets/QMenuBar>
#include <QtWidgets/QToolButton>
#include <functional>

#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <functional>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "link/ChannelDecoder.h"
#include "link/Tsterownik.h"
#include "scope/ScopeGeometry.h"
#include "scope/Toscyloskop.h"
#include "shell/MainMenu.h"
#include "shell/ScopeBar.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "tests/WindowRig.h"

namespace {

// A main window whose preferences live in a temporary folder and whose questions are scripted.
struct Window : WindowRig {
    Window()
    {
        form.Sterownik1->timer()->stop();
        form.FormCreate();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.tabs()->row1()[4]->click();
        QTRY_VERIFY(form.scopeBar()->view()->isVisible());
    }
    QToolButton* button(int code) const
    {
        return form.scopeBar()->findChild<QToolButton*>(
            QStringLiteral("BitBtnOsc%1").arg(code, 2, 10, QLatin1Char('0')));
    }
    void click(int code) { QTest::mouseClick(button(code), Qt::LeftButton); }
};

// A live frame whose engine speed word (offset 17) and work state (offset 10) are given.
std::array<uint8_t, 128> liveFrame(int rpmWord, int state = 0x306)
{
    std::array<uint8_t, 128> f{};
    f[10] = uint8_t(state & 0xFF);
    f[11] = uint8_t(state >> 8);
    f[17] = uint8_t(rpmWord & 0xFF);
    f[18] = uint8_t(rpmWord >> 8);
    return f;
}

// A stand-alone view on its own link that draws only channel 1 (engine speed).
struct View {
    TSterownik link;
    LiveRecorder recorder;
    TScope scope;
    explicit View(QSize size)
    {
        link.timer()->stop();
        for (int c = 0; c < link.channels().size(); ++c) link.setChannelShown(c, kChannelDrawn, c == 1);
        scope.link = &link;
        scope.recorder = &recorder;
        scope.resize(size);
        scope.show();
    }
};

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TstScope : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        QLocale::setDefault(QLocale::c());
    }

    void strips_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("H");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("E");
        QTest::addColumn<int>("G");
        QTest::newRow("one area") << 1 << 498 << 7 << 400 << 440;
        QTest::newRow("four strips") << 2 << 498 << 7 << 100 << 140;
        QTest::newRow("a strip per trace") << 3 << 498 << 8 << 50 << 90;
        QTest::newRow("no drawn channels: one strip") << 3 << 498 << 0 << 400 << 440;
        QTest::newRow("strips thinner than a pixel") << 3 << 120 << 34 << 1 << 40;
        QTest::newRow("control of 98 pixels") << 1 << 98 << 1 << 1 << 40;
    }
    void strips()
    {
        QFETCH(int, layout);
        QFETCH(int, H);
        QFETCH(int, n);
        QFETCH(int, E);
        QFETCH(int, G);
        const ScopeGeometry::Strips s = ScopeGeometry::strips(layout, H, n);
        QCOMPARE(s.E, E);
        QCOMPARE(s.G, G);
    }

    void windowArithmetic()
    {
        // At 0.1 sample per pixel each sample spans 10 pixels: columns 1, 11, 21, ...
        QCOMPARE(ScopeGeometry::nextColumn(1, 0.1), 11);
        QCOMPARE(ScopeGeometry::nextColumn(11, 0.1), 21);
        QCOMPARE(ScopeGeometry::nextColumn(5, 1), 6);
        // Fewer samples than the window holds: the window starts before sample 0.
        QCOMPARE(ScopeGeometry::windowStart(100, 500, 1), -400);
        QCOMPARE(ScopeGeometry::windowStart(100, 500, 0.1), 50);
        // A click near the left end of the overview: the window starts at sample 0.
        QCOMPARE(ScopeGeometry::windowEndAfterClick(10, 500, 1000, 1000), 500);
        QCOMPARE(ScopeGeometry::windowEndAfterClick(900, 500, 1000, 1000), 1000);
        QCOMPARE(ScopeGeometry::windowEndAfterClick(300, -200, 300, 300), 300);
        // The click goes through the strip's 10-pixel offset: x = 10 is sample 0.
        QCOMPARE(ScopeGeometry::overviewClickSample(10, 1000, 620), 0);
        QCOMPARE(ScopeGeometry::overviewClickSample(260, 1000, 620), 500);
        int first = 0, end = 0;
        ScopeGeometry::columnSamples(3, 40, first, end);
        QCOMPARE(first, 120);
        QCOMPARE(end, 160);
    }

    // The bar of the Oscilloscope tab: twelve 28 x 28 buttons at their lefts, each handing its
    // number to the view.
    void buttonBar()
    {
        Window w;
        TScope& s = *w.form.scopeBar()->view();
        QVERIFY(w.form.scopeBar()->isVisible());
        const int codes[12] = {1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 20, 21};
        const int lefts[12] = {0, 30, 60, 90, 140, 170, 200, 250, 280, 310, 360, 390};
        for (int i = 0; i < 12; ++i) {
            QToolButton* b = w.button(codes[i]);
            QVERIFY2(b, qPrintable(QString::number(codes[i])));
            QCOMPARE(b->geometry(), QRect(lefts[i], 0, 28, 28));
            QCOMPARE(b->iconSize(), QSize(22, 22));
        }
        w.click(2);
        QCOMPARE(s.state, int(TScope::Pause));
        w.click(3);
        QCOMPARE(s.state, int(TScope::Stop));
        w.click(1);
        QCOMPARE(s.state, int(TScope::Play));
        w.click(10);
        QCOMPARE(s.layout, 1);
        w.click(11);
        QCOMPARE(s.layout, 2);
        w.click(12);
        QCOMPARE(s.layout, 3);
        for (int i = 0; i < 4; ++i) w.click(20);
        QCOMPARE(s.timeBase, 0);
        QCOMPARE(s.samplesPerPixel, 0.1);
        for (int i = 0; i < 10; ++i) w.click(21);
        QCOMPARE(s.timeBase, 8);
        QCOMPARE(s.samplesPerPixel, 40.0);

        // The Calibration tab watches live: the view is put back to Play.
        w.click(3);
        w.form.tabs()->row1()[1]->click();
        QCOMPARE(s.state, int(TScope::Play));
        QVERIFY(s.isVisible());
    }

    // A fitter's session: record a drive with all channels, pause, read back in Read state,
    // export to CSV; the eraser empties the buffer.
    void recordPauseReadExport()
    {
        Window w;
        TForm1& f = w.form;
        TScope& s = *f.scopeBar()->view();
        for (int i = 0; i < 5; ++i) f.LiveFrameReceived(LiveFrame(liveFrame(80 + i).data(), 128));
        QCOMPARE(s.sampleCount, 5);

        const QString osc = w.dir.filePath(QStringLiteral("drive.osc"));
        w.answers.fileAnswers = {osc};
        w.click(4);
        QVERIFY(f.Sterownik1->RecordingOpen());
        QCOMPARE(QFileInfo(osc).size(), qint64(4096 + 5 * 128));
        for (int i = 0; i < 3; ++i) f.LiveFrameReceived(LiveFrame(liveFrame(90 + i).data(), 128));
        QCOMPARE(QFileInfo(osc).size(), qint64(4096 + 8 * 128));
        w.click(2);  // Pause: still stored and recorded
        f.LiveFrameReceived(LiveFrame(liveFrame(100).data(), 128));
        QCOMPARE(s.sampleCount, 9);
        QCOMPARE(QFileInfo(osc).size(), qint64(4096 + 9 * 128));
        w.click(3);  // Stop: nothing stored, and the recording ends with it (its red mark goes)
        QVERIFY(!f.Sterownik1->RecordingOpen());
        f.LiveFrameReceived(LiveFrame(liveFrame(110).data(), 128));
        QCOMPARE(s.sampleCount, 9);
        QCOMPARE(QFileInfo(osc).size(), qint64(4096 + 9 * 128));
        const qsizetype asked = w.answers.dialogs.size();
        w.click(4);  // record again: a new recording is asked for (cancelled here)
        QCOMPARE(w.answers.dialogs.size(), asked + 1);
        QVERIFY(!f.Sterownik1->RecordingOpen());

        w.click(6);
        QCOMPARE(s.sampleCount, 0);
        QCOMPARE(int(s.samples()[17]), 0);

        // The recording items follow the settings-file items in the Device menu.
        const QList<QAction*> menu = f.menus()->MenuFile()->actions();
        const qsizetype save = menu.indexOf(f.menus()->MenuFileSave());
        QVERIFY(menu[save + 1]->isSeparator());
        QCOMPARE(menu.mid(save + 2, 3),
                 (QList<QAction*>{f.scopeBar()->MenuFile5(), f.scopeBar()->MenuFile6(), f.scopeBar()->MenuFile7()}));
        QCOMPARE(f.scopeBar()->MenuFile5()->text(), TextById(1105));
        QCOMPARE(f.scopeBar()->MenuFile7()->text(), TextById(1107));

        // Read it back from the Device menu; the Oscilloscope tab is pressed.
        f.tabs()->row1()[0]->click();
        w.answers.fileAnswers = {osc};
        f.scopeBar()->MenuFile5()->trigger();
        QCOMPARE(s.state, int(TScope::Read));
        QCOMPARE(s.sampleCount, 9);
        QCOMPARE(s.windowEnd, 9);
        QCOMPARE(int(s.samples()[8 * 128 + 17]), 100);
        QVERIFY(s.isVisible());
        QVERIFY(f.windowTitle().endsWith(QStringLiteral(" - [") + osc + QStringLiteral("]")));
        QCOMPARE(s.RecordedTimeText(), QStringLiteral("0.9 [s]"));
        // In Read the record button only closes; nothing is recorded.
        w.click(4);
        QVERIFY(!f.Sterownik1->RecordingOpen());

        const QString csv = w.dir.filePath(QStringLiteral("drive.csv"));
        w.answers.fileAnswers = {csv};
        f.Sterownik1->documentsFolder = w.dir.filePath(QStringLiteral("Documents"));
        f.scopeBar()->MenuFile7()->trigger();
        QCOMPARE(w.answers.dialogs.last().title, TextById(1107));
        QCOMPARE(w.answers.dialogs.last().defaultExtension, QStringLiteral("csv"));
        // It starts in the documents' Scope folder, made when it was not there yet.
        const QString scopeFolder = f.Sterownik1->documentsFolder + QStringLiteral("/ORVA/Kavelo II/Scope");
        QCOMPARE(w.answers.dialogs.last().folder, scopeFolder);
        QVERIFY(QFileInfo(scopeFolder).isDir());
        const QList<QByteArray> lines = readFile(csv).split('\n');
        QCOMPARE(lines.size(), 11);  // header, nine samples, and nothing after the last CR LF
        QVERIFY(lines[1].startsWith("0.0;800;"));
        QVERIFY(lines[9].startsWith("0.8;1000;"));
        QVERIFY(w.answers.messages.isEmpty());

        // A file that is not a recording: "Error code 133", the view keeps its samples and reads.
        const QString bad = w.dir.filePath(QStringLiteral("bad.osc"));
        QFile b(bad);
        QVERIFY(b.open(QIODevice::WriteOnly));
        b.write(QByteArray(5000, 'x'));
        b.close();
        w.answers.fileAnswers = {bad};
        w.click(5);
        QCOMPARE(w.answers.messages.size(), 1);
        QCOMPARE(w.answers.messages[0].text, QStringLiteral("Error code 133"));
        QCOMPARE(s.sampleCount, 9);
        QCOMPARE(s.state, int(TScope::Read));
    }

    // A recording starts with the samples the buffer already holds: the view says how many under
    // the traces while the recording is open, and the file holds exactly those samples first. An
    // empty buffer says the recording begins with the next sample; a cancelled one says nothing.
    void recordingSaysWhatItStartsWith()
    {
        Window w;
        TForm1& f = w.form;
        TScope& s = *f.scopeBar()->view();
        const auto marked = [&s] {
            const QImage& image = s.frameBitmap();
            const QColor band = image.pixelColor(2, image.height() - 3);
            int n = 0;
            for (int y = image.height() - 20; y < image.height() - 4; ++y)
                for (int x = 10; x < image.width() - 120; ++x) n += image.pixelColor(x, y) != band;
            return n;
        };
        for (int i = 0; i < 7; ++i) f.LiveFrameReceived(LiveFrame(liveFrame(80 + i).data(), 128));
        QCOMPARE(marked(), 0);

        const QString osc = w.dir.filePath(QStringLiteral("started.osc"));
        w.answers.fileAnswers = {osc};
        w.click(4);
        QVERIFY(f.Sterownik1->RecordingOpen());
        QCOMPARE(s.recordingNotice(), TextById(OwnText::RecordingStarted).arg(7));
        QCOMPARE(ownTexts().text(OwnText::RecordingStarted, TextTable::English).arg(7),
                 QStringLiteral("Recording started with the 7 samples already on screen"));
        QVERIFY(marked() > 20);
        const QByteArray bytes = readFile(osc);
        QCOMPARE(bytes.size(), 4096 + 7 * 128);
        QCOMPARE(bytes.mid(4096), QByteArray(reinterpret_cast<const char*>(s.samples()), 7 * 128));
        f.LiveFrameReceived(LiveFrame(liveFrame(90).data(), 128));
        QVERIFY(marked() > 20);  // still there while the recording goes on

        w.click(3);  // Stop ends the recording, and its notice with it
        QVERIFY(s.recordingNotice().isEmpty());
        QCOMPARE(marked(), 0);

        w.click(1);
        w.click(6);
        const QString empty = w.dir.filePath(QStringLiteral("empty.osc"));
        w.answers.fileAnswers = {empty};
        w.click(4);
        QCOMPARE(s.recordingNotice(), TextById(OwnText::RecordingStartedEmpty));
        QCOMPARE(QFileInfo(empty).size(), qint64(4096));
        w.click(4);  // the record button again closes it
        QVERIFY(!f.Sterownik1->RecordingOpen());
        QVERIFY(s.recordingNotice().isEmpty());

        w.click(4);  // the file dialog cancelled: no recording, no notice
        QVERIFY(!f.Sterownik1->RecordingOpen());
        QVERIFY(s.recordingNotice().isEmpty());
        QCOMPARE(marked(), 0);
    }

    // Frames from the line are placed by their receive time: the buffer and the recording keep
    // 0.1 s a sample while the frames come further apart (a read sharing the line) or closer; Stop
    // leaves the time it lasted out instead of filling it.
    void framesPlacedByReceiveTime()
    {
        Window w;
        TForm1& f = w.form;
        TScope& s = *f.scopeBar()->view();
        const QString osc = w.dir.filePath(QStringLiteral("timed.osc"));
        w.answers.fileAnswers = {osc};
        w.click(4);
        QVERIFY(f.Sterownik1->RecordingOpen());
        auto frame = [&](int rpm, qint64 ms) {
            LiveFrame live(liveFrame(rpm).data(), 128);
            live.setReceivedAt(ms);
            f.LiveFrameReceived(live);
        };
        frame(10, 50000);
        frame(11, 50100);
        frame(12, 50300);  // 0.2 s later: the point between holds the reading before
        frame(13, 50340);  // the same point as the one before: skipped
        frame(14, 50410);
        frame(15, 50750);  // three points later
        const QList<int> held = {10, 11, 11, 12, 14, 14, 14, 14, 15};
        QCOMPARE(s.sampleCount, int(held.size()));
        const QByteArray file = readFile(osc);
        QCOMPARE(file.size(), 4096 + held.size() * 128);
        for (int i = 0; i < held.size(); ++i) {
            QCOMPARE(int(s.samples()[i * 128 + 17]), held[i]);
            QCOMPARE(int(uint8_t(file[4096 + i * 128 + 17])), held[i]);
        }
        QCOMPARE(s.RecordedTimeText(), QStringLiteral("0.9 [s]"));

        w.click(3);  // Stop for three seconds, then Play: the stop is not filled
        frame(16, 52000);
        w.click(1);
        frame(17, 53750);
        frame(18, 53850);
        QCOMPARE(s.sampleCount, int(held.size()) + 2);
        QCOMPARE(int(s.samples()[held.size() * 128 + 17]), 17);
        w.click(4);
    }

    // After a full recording is loaded the count is 36000: the next sample starts over at slot 0
    // instead of landing past the buffer.
    void sampleAfterAFullLoadWraps()
    {
        View v(QSize(400, 300));
        v.scope.sampleCount = 36000;
        v.scope.state = TScope::Play;
        v.scope.AddSample(liveFrame(0x55).data());
        QCOMPARE(v.scope.sampleCount, 1);
        QCOMPARE(int(v.scope.samples()[17]), 0x55);
        v.scope.sampleCount = 35999;
        v.scope.AddSample(liveFrame(0x66).data());
        QCOMPARE(v.scope.sampleCount, 0);
        QCOMPARE(int(v.scope.samples()[35999 * 128 + 17]), 0x66);
    }

    // The trace lies where the decoder puts it, one point per column or one min-max stroke.
    void traceWhereTheDecoderSays_data()
    {
        QTest::addColumn<int>("timeBase");
        QTest::newRow("ten pixels per sample") << 0;
        QTest::newRow("one sample per pixel") << 3;
        QTest::newRow("four samples per pixel") << 5;
    }
    void traceWhereTheDecoderSays()
    {
        QFETCH(int, timeBase);
        View v(QSize(420, 300));
        TScope& s = v.scope;
        s.Command(10);  // one common area
        s.Command(3);
        while (s.timeBase < timeBase) s.Command(21);
        for (int i = 0; i < 2000; ++i) {
            const auto f = liveFrame(i < 1000 ? 100 : 300);
            std::memcpy(s.samples() + i * 128, f.data(), 128);
        }
        s.samplesChanged();
        s.sampleCount = 2000;
        s.windowEnd = 2000;
        s.Draw(0);
        const QImage img = s.frameBitmap();
        const int H = 300, E = H - 98, G = E + 40;
        const ChannelDecoder::Channel rpm = ChannelDecoder::channelOf(v.link.channels()[1]);
        const int high = G - ChannelDecoder::value(rpm, liveFrame(300).data(), E);
        const int low = G - ChannelDecoder::value(rpm, liveFrame(100).data(), E);
        QVERIFY(high < low);
        const QRgb colour = QColor(0, 112, 253).rgb();
        // The last column shows the later samples, at the higher level.
        const int x = 10 + 299 - 5;
        QCOMPARE(img.pixel(x, high), colour);
        QVERIFY(img.pixel(x, low) != colour);
        QVERIFY(img.pixel(x, (high + low) / 2) != colour);
    }

    // The overview strip: engine speed over the whole recording, each part in its work state's colour.
    void overviewColouredByWorkState()
    {
        View v(QSize(420, 300));
        TScope& s = v.scope;
        s.Command(3);
        for (int i = 0; i < 1000; ++i) {
            const auto f = i < 500 ? liveFrame(100, 0x306) : liveFrame(400, 0x300);
            std::memcpy(s.samples() + i * 128, f.data(), 128);
        }
        s.samplesChanged();
        s.sampleCount = 1000;
        s.Draw(0);
        const QImage img = s.frameBitmap();
        const ChannelDecoder::Channel rpm = ChannelDecoder::channelOf(v.link.channels()[1]);
        const int low = 30 - ChannelDecoder::value(rpm, liveFrame(100).data(), 20);
        const int high = 30 - ChannelDecoder::value(rpm, liveFrame(400).data(), 20);
        QVERIFY(high < low);
        QCOMPARE(img.pixel(60, low), QColor(0, 160, 0).rgb());    // gas: green
        QCOMPARE(img.pixel(260, high), QColor(255, 0, 0).rgb());  // petrol: red
        QVERIFY(img.pixel(60, high) != QColor(0, 160, 0).rgb());
        QVERIFY(img.pixel(260, low) != QColor(255, 0, 0).rgb());
    }

    // A click on the overview strip near its left end moves the window to start at sample 0.
    void overviewClick()
    {
        View v(QSize(620, 300));
        TScope& s = v.scope;
        s.sampleCount = 1000;
        s.windowEnd = 1000;
        s.state = TScope::Read;
        s.Draw(0);
        QCOMPARE(s.windowStart, 500);
        QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(15, 20));
        QCOMPARE(s.windowEnd, 500);
        QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(460, 20));
        QCOMPARE(s.windowEnd, 1000);  // b = 900, past the end: kept at the count
        // In Play the window follows the newest sample.
        s.state = TScope::Play;
        QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(15, 20));
        QCOMPARE(s.windowEnd, 1000);
    }

    // The read-out cursor: in every state but Play, inside the trace area, drawn over the bitmap.
    void readOutCursor()
    {
        View v(QSize(420, 300));
        TScope& s = v.scope;
        s.sampleCount = 50;
        s.Draw(0);
        QTest::mouseMove(&s, QPoint(100, 100));
        QCOMPARE(s.cursorX, -1);
        s.Command(2);
        QTest::mouseMove(&s, QPoint(120, 110));
        QTest::mouseMove(&s, QPoint(100, 100));
        QCOMPARE(s.cursorX, 100);
        const QImage shown = s.grab().toImage();
        QVERIFY(shown.pixel(100, 150) != s.frameBitmap().pixel(100, 150));
        QCOMPARE(shown.pixel(150, 150), s.frameBitmap().pixel(150, 150));
        QTest::mouseMove(&s, QPoint(5, 100));  // outside: the cursor stays
        QCOMPARE(s.cursorX, 100);
        s.Redraw();
        QCOMPARE(s.cursorX, -1);
        // A new size or another tab forgets the cursor as well.
        int x = 110;
        for (const auto& leave : {std::function<void()>([&] { s.resize(440, 300); }), std::function<void()>([&] {
                                      s.hide();
                                      s.show();
                                  })}) {
            x += 10;
            QTest::mouseMove(&s, QPoint(x, 100));
            QCOMPARE(s.cursorX, x);
            leave();
            QCoreApplication::processEvents();
            QCOMPARE(s.cursorX, -1);
            QCOMPARE(s.grab().toImage().pixel(x, 150), s.frameBitmap().pixel(x, 150));
        }
    }

    // Pause: the overview follows the recording while the traces stay as they were.
    void pauseRefreshesOnlyTheTop()
    {
        View v(QSize(420, 300));
        TScope& s = v.scope;
        s.Command(20);  // 0.4 s per 2 pixels: the first samples are in view
        for (int i = 0; i < 30; ++i) s.AddSample(liveFrame(100).data());
        s.Command(2);
        const QImage before = s.frameBitmap().copy();
        for (int i = 0; i < 30; ++i) s.AddSample(liveFrame(400, 0x300).data());
        QCOMPARE(s.sampleCount, 60);
        const QImage after = s.frameBitmap();
        QCOMPARE(after.copy(0, 40, 420, 260), before.copy(0, 40, 420, 260));
        QVERIFY(after.copy(0, 0, 420, 40) != before.copy(0, 0, 420, 40));
    }

    // Controls too low for a strip draw their frames only, and thin strips still end.
    void lowControls()
    {
        View v(QSize(400, 90));
        v.scope.sampleCount = 100;
        v.scope.Draw(0);
        const QImage img = v.scope.frameBitmap();
        QCOMPARE(img.size(), QSize(400, 90));
        QCOMPARE(img.pixel(200, 45), QColor(Qt::white).rgb());  // the plot background, no trace
        for (int c = 0; c < v.link.channels().size(); ++c) v.link.setChannelShown(c, kChannelDrawn, true);
        v.scope.resize(400, 120);
        v.scope.Draw(0);
        QCOMPARE(v.scope.frameBitmap().size(), QSize(400, 120));
    }

    // Command 20 at index 0 and 21 at index 8 change nothing; the eraser clears and rewinds.
    void commandEdges()
    {
        View v(QSize(400, 300));
        TScope& s = v.scope;
        for (int i = 0; i < 9; ++i) s.Command(20);
        QCOMPARE(s.timeBase, 0);
        for (int i = 0; i < 12; ++i) s.Command(21);
        QCOMPARE(s.timeBase, 8);
        s.AddSample(liveFrame(7).data());
        s.Command(6);
        QCOMPARE(s.sampleCount, 0);
        QCOMPARE(s.windowEnd, 0);
        QCOMPARE(int(s.samples()[17]), 0);
        s.Command(99);
        QCOMPARE(s.state, int(TScope::Play));
    }

    // Labels: the short label of engine speed, "=" and the reading; fuel-system status texts.
    void labels()
    {
        View v(QSize(400, 300));
        TScope& s = v.scope;
        programLanguage() = TextTable::English;
        const auto f = liveFrame(82);
        std::memcpy(s.samples(), f.data(), 128);
        s.samples()[97] = 2;
        s.samples()[128 + 97] = 3;
        QCOMPARE(s.channelLabel(1, 0), TextById(1401) + QStringLiteral("=820") + QString(26, QLatin1Char(' ')));
        QCOMPARE(s.channelLabel(1, -1), TextById(1401) + QString(26, QLatin1Char(' ')));
        QCOMPARE(s.channelLabel(13, 0).trimmed(), TextById(1450) + QStringLiteral("= CL"));
        QCOMPARE(s.channelLabel(13, 1).trimmed(), TextById(1450) + QStringLiteral("="));
        programLanguage() = TextTable::Polish;
    }

    void spreadLabels_data()
    {
        QTest::addColumn<QList<int>>("ys");
        QTest::addColumn<QList<int>>("spread");
        QTest::newRow("apart already: unmoved") << QList<int>{100, 40, 200} << QList<int>{100, 40, 200};
        QTest::newRow("three on one row, given in any order") << QList<int>{120, 110, 120} << QList<int>{126, 110, 142};
        QTest::newRow("pushed past the bottom: back up") << QList<int>{250, 245} << QList<int>{244, 228};
        QTest::newRow("never above the top") << QList<int>{10, 45} << QList<int>{40, 56};
    }
    void spreadLabels()
    {
        QFETCH(QList<int>, ys);
        QFETCH(QList<int>, spread);
        const std::vector<int> out = ScopeGeometry::spreadLabels(std::vector<int>(ys.begin(), ys.end()), 16, 40, 244);
        QCOMPARE(QList<int>(out.begin(), out.end()), spread);
    }

    // Traces that end on one level in the common area (layout 1) or one strip (layout 2): their
    // labels stand a line apart instead of over each other.
    void labelsOfTracesOnOneLevelDoNotOverlap()
    {
        for (int layoutCode : {10, 11}) {
            View v(QSize(600, 400));
            TScope& s = v.scope;
            for (int c : {1, 2, 3, 4}) v.link.setChannelShown(c, kChannelDrawn, true);
            s.Command(layoutCode);
            s.Command(3);
            for (int i = 0; i < 100; ++i) std::memcpy(s.samples() + i * 128, liveFrame(0).data(), 128);
            s.samplesChanged();
            s.sampleCount = 100;
            s.windowEnd = 100;
            s.Draw(0);
            QList<int> rows;
            for (int c : {1, 2, 3, 4}) rows << s.labelRows[size_t(c)];
            std::sort(rows.begin(), rows.end());
            QFont labelFont = s.font();  // the labels' font: 10 points, bold
            labelFont.setPointSize(10);
            labelFont.setBold(true);
            const int line = QFontMetrics(labelFont).height();
            for (int k = 1; k < rows.size(); ++k)
                QVERIFY2(
                    rows[k] - rows[k - 1] >= line,
                    qPrintable(
                        QStringLiteral("layout %1: rows %2 and %3").arg(layoutCode - 9).arg(rows[k - 1]).arg(rows[k])));
        }
    }

    // A recording that cannot be written to any more: closed, the record symbol gone, one
    // "Error code 134".
    void failingRecording()
    {
        Window w;
        TForm1& f = w.form;
        const QString osc = w.dir.filePath(QStringLiteral("full.osc"));
        w.answers.fileAnswers = {osc};
        w.click(4);
        QVERIFY(f.Sterownik1->RecordingOpen());
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4096 + 128;
        setrlimit(RLIMIT_FSIZE, &small);
        for (int i = 0; i < 3; ++i) f.LiveFrameReceived(LiveFrame(liveFrame(80).data(), 128));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!f.Sterownik1->RecordingOpen());
        QTRY_COMPARE(w.answers.messages.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(w.answers.messages.size(), 1);
        QCOMPARE(w.answers.messages[0].text, QStringLiteral("Error code 134"));
        QCOMPARE(QFileInfo(osc).size(), qint64(4096 + 128));
        QCOMPARE(f.scopeBar()->view()->sampleCount, 3);
    }
};

QTEST_MAIN(TstScope)
#include "tst_scope.moc"
