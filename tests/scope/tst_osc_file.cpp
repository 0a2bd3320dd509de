// The recording file and the CSV export on real files: the sample decoder as a table of every
// type, the head byte by byte, loads of short, long and foreign files, a refused file that leaves
// everything as it was, appends that fail, and the CSV text of a small recording.
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QLocale>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <sys/resource.h>

#include <csignal>
#include <cstring>

#include "base/OwnTexts.h"
#include "base/Plural.h"
#include "base/Prompt.h"
#include "base/TextTable.h"
#include "link/ChannelDecoder.h"
#include "link/OscFile.h"
#include "link/SampleClock.h"
#include "link/ScopeCsv.h"
#include "tests/link/ImageFileLayout.h"
#include "tests/link/LinkTestKit.h"

namespace {

using ImageFileLayout::kLayout;
using ImageFileLayout::partOf;

void fillPattern(MemoryImage& m, int seed)
{
    for (int i = 0; i < 18; ++i) {
        uint8_t* p = partOf(m, i);
        for (int b = 0; b < kLayout[i].size; ++b) p[b] = uint8_t(seed * 31 + i * 7 + b);
    }
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A recording of `n` samples, sample i filled with bytes i + b.
QByteArray recording(const MemoryImage& mem, int n, int extra = 0)
{
    QByteArray bytes = OscFile::encodeHead(mem);
    for (int i = 0; i < n; ++i)
        for (int b = 0; b < 128; ++b) bytes.append(char(uint8_t(i + b)));
    bytes.append(QByteArray(extra, '\x5A'));
    return bytes;
}

// Runs `f` with files limited to `bytes` bytes: writes past it fail as on a full disk.
template <typename F>
auto withFileLimit(rlim_t bytes, F f)
{
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
    auto result = f();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return result;
}

}  // namespace

class TstOscFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        programLanguage() = TextTable::English;
        QLocale::setDefault(QLocale::c());
    }

    // Every encoding type, raw (height 0) and scaled, with the bytes at the channel's offset.
    void decoderTable_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("b0");
        QTest::addColumn<int>("b1");
        QTest::addColumn<double>("gain");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("expected");
        QTest::newRow("bit 0 set, raw") << 0 << 0x01 << 0 << 1.0 << 1.0 << 0 << 1;
        QTest::newRow("bit 3 clear, raw") << 3 << 0xF7 << 0 << 1.0 << 1.0 << 0 << 0;
        QTest::newRow("bit 7 set, scaled") << 7 << 0x80 << 0 << 3.0 << 1.0 << 50 << 50;
        QTest::newRow("bit 5 clear, scaled") << 5 << 0xDF << 0 << 1.0 << 1.0 << 50 << 0;
        QTest::newRow("byte raw") << 10 << 200 << 0 << 1.0 << 1.0 << 0 << 200;
        QTest::newRow("byte scaled") << 10 << 200 << 0 << 1.5 << 1.0 << 100 << 117;  // 1.5*200*100/256
        QTest::newRow("word raw") << 11 << 0x34 << 0x12 << 1.0 << 1.0 << 0 << 0x1234;
        QTest::newRow("word scaled") << 11 << 0x00 << 0x04 << 1.4 << 1.0 << 100 << 140;  // 1.4*1024*100/1024
        QTest::newRow("signed byte raw") << 20 << 100 << 0 << 1.0 << 1.0 << 0 << -28;
        QTest::newRow("signed byte scaled") << 20 << 0 << 0 << 1.0 << 1.0 << 100 << -50;
        QTest::newRow("kelvin word raw") << 21 << 0x2C << 0x01 << 1.0 << 1.0 << 0 << 27;  // 300 - 273
        QTest::newRow("kelvin word scaled") << 21 << 0x11 << 0x00 << 1.0 << 1.0 << 1024 << -256;
        QTest::newRow("trim raw positive") << 22 << 192 << 0 << 1.0 << 1.0 << 0 << 50;
        QTest::newRow("trim raw negative truncates") << 22 << 1 << 0 << 1.0 << 1.0 << 0 << -99;  // -99.2
        QTest::newRow("trim raw zero byte") << 22 << 0 << 0 << 1.0 << 1.0 << 0 << 0;
        QTest::newRow("trim scaled") << 22 << 192 << 0 << 2.0 << 1.0 << 100 << 100;
        QTest::newRow("fuel system raw") << 23 << 2 << 0 << 1.0 << 1.0 << 0 << 2;
        QTest::newRow("fuel system CL scaled") << 23 << 0x02 << 0 << 1.0 << 1.0 << 100 << 50;
        QTest::newRow("fuel system CL error scaled") << 23 << 0x10 << 0 << 1.0 << 1.0 << 100 << 50;
        QTest::newRow("fuel system OL scaled") << 23 << 0x01 << 0 << 1.0 << 1.0 << 100 << 0;
        QTest::newRow("afr raw") << 24 << 100 << 0 << 1.0 << 0.01 << 0 << 1035;      // 300 + 735
        QTest::newRow("afr scaled") << 24 << 100 << 0 << 1.0 << 0.01 << 400 << 101;  // 400*1035/1024*0.25
        QTest::newRow("afr with scale 0") << 24 << 100 << 0 << 1.0 << 0.0 << 0 << 300;
        QTest::newRow("diagnostic type 12") << 12 << 0xFF << 0xFF << 1.0 << 1.0 << 0 << 0;
        QTest::newRow("unknown type") << 99 << 0xFF << 0xFF << 1.0 << 1.0 << 100 << 0;
    }
    void decoderTable()
    {
        QFETCH(int, type);
        QFETCH(int, b0);
        QFETCH(int, b1);
        QFETCH(double, gain);
        QFETCH(double, scale);
        QFETCH(int, height);
        QFETCH(int, expected);
        uint8_t sample[128] = {};
        sample[40] = uint8_t(b0);
        sample[41] = uint8_t(b1);
        const ChannelDecoder::Channel c{type, 40, scale, gain};
        QCOMPARE(ChannelDecoder::value(c, sample, height), expected);
    }

    // Indices outside the buffer and offsets outside the sample read 0, never past the memory.
    void decoderBounds()
    {
        std::vector<uint8_t> buffer(size_t(ChannelDecoder::kBufferSamples) * 128, 0xFF);
        const ChannelDecoder::Channel byte{10, 0, 1, 1};
        QCOMPARE(ChannelDecoder::value(byte, buffer.data(), -1, 0), 0);
        QCOMPARE(ChannelDecoder::value(byte, buffer.data(), 36000, 0), 0);
        QCOMPARE(ChannelDecoder::value(byte, buffer.data(), 35999, 0), 255);
        const ChannelDecoder::Channel lastWord{11, 127, 1, 1};
        QCOMPARE(ChannelDecoder::value(lastWord, buffer.data(), 0, 0), 0);
    }

    // The head: magic, version bytes, zero reserved bytes, then every region at its offset.
    void headByteByByte()
    {
        MemoryImage mem;
        fillPattern(mem, 5);
        const QByteArray head = OscFile::encodeHead(mem);
        QCOMPARE(head.size(), 4096);
        QCOMPARE(head.left(8), QByteArray("osc file"));
        QCOMPARE(int(head[8]), 1);
        QCOMPARE(int(head[9]), 1);
        QCOMPARE(head.mid(10, 6), QByteArray(6, '\0'));
        for (int i = 0; i < 18; ++i)
            QVERIFY2(std::memcmp(head.constData() + kLayout[i].offset, partOf(mem, i), size_t(kLayout[i].size)) == 0,
                     kLayout[i].name);
    }

    // A recording starts with the head and the samples held, grows by one sample per append, and is
    // complete on disk after each append; the link's destructor closes it.
    void recordAppendAndClose()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("drive.osc"));
        MemoryImage expected;
        std::vector<uint8_t> samples(5 * 128);
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = uint8_t(i * 3);
        {
            LinkRig rig;
            fillPattern(rig.link.mem, 2);
            expected = rig.link.mem;
            QCOMPARE(rig.link.ZapiszOscyloskop(path, samples.data(), 2), 0);
            QVERIFY(rig.link.RecordingOpen());
            QCOMPARE(QFileInfo(path).size(), qint64(4096 + 2 * 128));
            QCOMPARE(rig.link.DopiszOscyloskop(samples.data(), 4), 0);
            QCOMPARE(QFileInfo(path).size(), qint64(4096 + 3 * 128));
        }
        const QByteArray bytes = readFile(path);
        QCOMPARE(bytes.left(4096), OscFile::encodeHead(expected));
        QCOMPARE(bytes.mid(4096, 256), QByteArray(reinterpret_cast<const char*>(samples.data()), 256));
        QCOMPARE(bytes.mid(4096 + 256), QByteArray(reinterpret_cast<const char*>(samples.data()) + 512, 128));

        // Empty buffer: exactly the head until the first sample.
        LinkRig rig;
        QCOMPARE(rig.link.ZapiszOscyloskop(path, samples.data(), 0), 0);
        QCOMPARE(QFileInfo(path).size(), qint64(4096));
        rig.link.ZamnkijOscyloskop();
        QVERIFY(!rig.link.RecordingOpen());
        QCOMPARE(rig.link.DopiszOscyloskop(samples.data(), 0), 0);
        QCOMPARE(QFileInfo(path).size(), qint64(4096));
    }

    // A recording that cannot be made leaves no recording open and an existing file as it was.
    void recordRefused()
    {
        QTemporaryDir dir;
        LinkRig rig;
        ScriptedPrompt prompt;
        prompt.fileAnswers = {dir.path()};
        rig.link.ZapiszOscyloskop(prompt, nullptr, 0);
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].text, QStringLiteral("Error code 131"));
        QCOMPARE(prompt.messages[0].caption, QStringLiteral("KAVELO"));
        QCOMPARE(prompt.dialogs[0].title, TextById(1106));
        QCOMPARE(prompt.dialogs[0].filter,
                 TextById(1112) + QStringLiteral(" (*.osc)|*.osc|") + TextById(1110) + QStringLiteral(" (*.*)|*.*"));
        QCOMPARE(prompt.dialogs[0].defaultExtension, QStringLiteral("osc"));
        QVERIFY(!rig.link.RecordingOpen());
        QCOMPARE(rig.link.ZapiszOscyloskop(QStringLiteral("/dev/null"), nullptr, 0), 131);

        const QString target = dir.filePath(QStringLiteral("keep.osc"));
        const QByteArray precious = recording(rig.link.mem, 3);
        QVERIFY(writeFile(target, precious));
        std::vector<uint8_t> samples(100 * 128, 7);
        const int result = withFileLimit(5000, [&] { return rig.link.ZapiszOscyloskop(target, samples.data(), 100); });
        QCOMPARE(result, 131);
        QVERIFY(!rig.link.RecordingOpen());
        QCOMPARE(readFile(target), precious);
    }

    // An append that fails (full disk) closes the recording and reports 134; the file keeps what
    // was written.
    void appendFailureClosesTheRecording()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("full.osc"));
        LinkRig rig;
        std::vector<uint8_t> samples(128, 9);
        QCOMPARE(rig.link.ZapiszOscyloskop(path, samples.data(), 1), 0);
        const int result = withFileLimit(4096 + 128, [&] { return rig.link.DopiszOscyloskop(samples.data(), 0); });
        QCOMPARE(result, 134);
        QVERIFY(!rig.link.RecordingOpen());
        QCOMPARE(QFileInfo(path).size(), qint64(4096 + 128));
    }

    // Loads of files of every kind: what is taken and what is refused.
    void load_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("samples");
        MemoryImage mem;
        fillPattern(mem, 9);
        QTest::newRow("empty recording") << recording(mem, 0) << 0 << 0;
        QTest::newRow("three samples and a torn fourth") << recording(mem, 3, 50) << 0 << 3;
        QByteArray version = recording(mem, 2);
        version[9] = 2;
        QTest::newRow("bytes 8 and 9 are 1 and 2") << version << 133 << 0;
        QByteArray magic = recording(mem, 2);
        magic[0] = 'O';
        QTest::newRow("not a recording") << magic << 133 << 0;
        QTest::newRow("settings file") << QByteArray("set file").append(QByteArray(4088, '\1')) << 133 << 0;
        QTest::newRow("head cut short") << recording(mem, 0).left(4095) << 133 << 0;
        QTest::newRow("empty file") << QByteArray() << 133 << 0;
    }
    void load()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QFETCH(int, samples);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.osc"));
        QVERIFY(writeFile(path, bytes));

        LinkRig rig;
        QVERIFY(rig.open());
        fillPattern(rig.link.mem, 1);
        const MemoryImage before = rig.link.mem;
        std::vector<uint8_t> buffer(36000 * 128, 0xEE);
        int count = -1;
        QCOMPARE(rig.link.CzytajOscyloskop(path, buffer.data(), count), result);
        if (result != 0) {
            // Refused: the connection, the file name, the image and the samples are as they were.
            QCOMPARE(count, -1);
            QVERIFY(rig.link.PortConnected());
            QVERIFY(rig.link.loadedFileName.isEmpty());
            QVERIFY(std::memcmp(&rig.link.mem, &before, sizeof before) == 0);
            QVERIFY(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0xEE; }));
            QVERIFY(rig.events.isEmpty());
            return;
        }
        QCOMPARE(count, samples);
        QVERIFY(!rig.link.PortConnected());
        QCOMPARE(rig.link.loadedFileName, path);
        QCOMPARE(rig.events.size(), 1);
        QCOMPARE(rig.events[0].kind, int(kEventFileLoaded));
        QVERIFY(std::memcmp(buffer.data(), bytes.constData() + 4096, size_t(samples) * 128) == 0);
        QCOMPARE(buffer[size_t(samples) * 128], uint8_t(0xEE));
        // Settings, multipliers, corrections and maps come from the file; the identity, the change
        // history and the reserved blocks stay those of the last connected controller.
        MemoryImage recorded;
        fillPattern(recorded, 9);
        for (int i = 0; i < 18; ++i) {
            const MemoryImage& source = i >= 4 ? recorded : before;
            QVERIFY2(std::memcmp(partOf(rig.link.mem, i), partOf(const_cast<MemoryImage&>(source), i),
                                 size_t(kLayout[i].size)) == 0,
                     kLayout[i].name);
        }
    }

    // Files that cannot be opened, through the dialog: 132 and nothing changes.
    void loadThroughThePrompt()
    {
        QTemporaryDir dir;
        LinkRig rig;
        QVERIFY(rig.open());
        std::vector<uint8_t> buffer(36000 * 128);
        for (const QString& path : {dir.filePath(QStringLiteral("missing.osc")), dir.path()}) {
            ScriptedPrompt prompt;
            prompt.fileAnswers = {path};
            QCOMPARE(rig.link.CzytajOscyloskop(prompt, buffer.data()), 0);
            QCOMPARE(prompt.messages.size(), 1);
            QCOMPARE(prompt.messages[0].text, QStringLiteral("Error code 132"));
            QCOMPARE(prompt.dialogs[0].title, TextById(1105));
            QVERIFY(rig.link.PortConnected());
        }
        ScriptedPrompt cancelled;
        QCOMPARE(rig.link.CzytajOscyloskop(cancelled, buffer.data()), 0);
        QVERIFY(cancelled.messages.isEmpty());
        QVERIFY(rig.link.PortConnected());
    }

    // A file longer than the buffer loads its first 36000 samples only.
    void longFileIsBounded()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.osc"));
        MemoryImage mem;
        QVERIFY(writeFile(path, recording(mem, 36005)));
        std::vector<uint8_t> buffer(36000 * 128 + 128, 0xEE);
        int count = 0;
        QCOMPARE(int(OscFile::load(path, mem, OscFile::HeadParts::Restored, buffer.data(), 36000, count)), 0);
        QCOMPARE(count, 36000);
        QCOMPARE(buffer[36000 * 128], uint8_t(0xEE));
        qint64 all = 0;
        QCOMPARE(int(OscFile::loadHead(path, mem, all)), 0);
        QCOMPARE(all, qint64(36005));
    }

    // Opened through the dialog, a recording longer than the buffer says how much of it is shown; one
    // that fits says nothing.
    void cutRecordingIsSaid()
    {
        QTemporaryDir dir;
        LinkRig rig;
        QVERIFY(rig.open());
        std::vector<uint8_t> buffer(36000 * 128);
        struct Case {
            int samples;
            int messages;
        };
        for (const Case& k : {Case{36005, 1}, Case{36000, 0}, Case{12, 0}}) {
            const QString path = dir.filePath(QStringLiteral("r%1.osc").arg(k.samples));
            MemoryImage mem;
            QVERIFY(writeFile(path, recording(mem, k.samples)));
            ScriptedPrompt prompt;
            prompt.fileAnswers = {path};
            QCOMPARE(rig.link.CzytajOscyloskop(prompt, buffer.data()), std::min(k.samples, 36000));
            QCOMPARE(prompt.messages.size(), k.messages);
            if (k.messages) {
                QCOMPARE(prompt.messages[0].icon, Prompt::Icon::Information);
                QCOMPARE(prompt.messages[0].text, ownTexts()
                                                      .text(OwnText::RecordingCutCount, programLanguage())
                                                      .arg(Plural::count(36005, OwnText::NounSample))
                                                      .arg(36000));
            }
        }
    }

    // Header and first lines of the export for a small recording with known bytes.
    // A recording's samples stand 0.1 s apart whatever the frames' spacing: each frame goes to the
    // grid point nearest its receive time, the points between repeat the sample before, a frame for
    // a point already filled is skipped, and a gap longer than five seconds starts the grid again.
    // `samples`: what each frame adds (repeats and the frame itself), one digit group per frame.
    void samplesKeepTime_data()
    {
        QTest::addColumn<QList<qint64>>("received");
        QTest::addColumn<QString>("samples");
        QTest::newRow("every 100 ms") << QList<qint64>{0, 100, 200, 300} << "1 1 1 1";
        QTest::newRow("late and early by a tick") << QList<qint64>{0, 120, 190, 310, 395} << "1 1 1 1 1";
        QTest::newRow("the slot's old 125 ms") << QList<qint64>{0, 125, 250, 375, 500} << "1 1 2 1 1";
        QTest::newRow("reads share the line") << QList<qint64>{0, 200, 400, 650} << "1 2 2 3";
        QTest::newRow("two frames for one point") << QList<qint64>{0, 100, 140, 200} << "1 1 0 1";
        QTest::newRow("five seconds are filled") << QList<qint64>{0, 5000} << "1 50";
        QTest::newRow("a longer gap starts again") << QList<qint64>{0, 100, 5200, 5300} << "1 1 1 1";
        QTest::newRow("a clock going back starts again") << QList<qint64>{1000, 1100, 900, 1000} << "1 1 1 1";
    }
    void samplesKeepTime()
    {
        QFETCH(QList<qint64>, received);
        QFETCH(QString, samples);
        SampleClock clock;
        QStringList added;
        for (qint64 ms : received) {
            const SampleClock::Placement p = clock.place(ms);
            QVERIFY(p.repeats == 0 || p.take);
            added.append(QString::number(p.repeats + (p.take ? 1 : 0)));
        }
        QCOMPARE(added.join(QLatin1Char(' ')), samples);
        // After a restart the next frame is the first of a new grid.
        clock.restart();
        const SampleClock::Placement first = clock.place(received.last() + 700);
        QCOMPARE(first.repeats, 0);
        QVERIFY(first.take);
    }

    void csvText()
    {
        LinkRig rig;
        TSterownik& l = rig.link;
        // Two columns: engine speed and vacuum; one with more decimals than shown; a fuel status.
        // Revolutions (word at 17, scale 10, general format), vacuum (word at 44, scale 0.01, two decimals).
        for (int c = 0; c < l.channels().size(); ++c) l.setChannelShown(c, kChannelScope, c == 1 || c == 3);
        QVector<ScopeCsv::Column> cols = ScopeCsv::columns(l.channelTable());
        QCOMPARE(ScopeCsv::header(cols), QStringLiteral("sec;Revolutions;Vacuum;\r\n"));

        std::vector<uint8_t> samples(12 * 128, 0);
        samples[17] = 82;               // 820 rpm
        samples[44] = 0x39;             // 57 -> 0.57
        samples[11 * 128 + 17] = 0x10;  // 0x2710 = 10000 -> 100000 rpm
        samples[11 * 128 + 18] = 0x27;
        samples[11 * 128 + 44] = 5;  // 0.05
        QByteArray text;
        ScopeCsv::appendRows(text, cols, samples.data(), 12, 0, QByteArrayLiteral(","));
        const QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines[0], QByteArray("0,0;820;0,57;\r"));
        QCOMPARE(lines[1], QByteArray("0,1;0;0,00;\r"));
        QCOMPARE(lines[11], QByteArray("1,1;100000;0,05;\r"));
        QVERIFY(text.endsWith("\r\n"));

        // More than three decimals: the column writes nothing, not even its ";". Diagnostic
        // channels join while the diagnostic flag is on.
        l.setDiagnosticChannels(true);
        cols = ScopeCsv::columns(l.channelTable());
        QVERIFY(cols.size() > 2);
        // Every column has its heading, the diagnostic channels' fixed names included.
        QVERIFY(!ScopeCsv::header(cols).contains(QStringLiteral(";;")));
        cols[1].decimals = 4;
        text.clear();
        ScopeCsv::appendRows(text, {cols[0], cols[1]}, samples.data(), 1, 7, QByteArrayLiteral("."));
        QCOMPARE(text, QByteArray("0.7;820;\r\n"));
    }

    // The export through its dialog: the file replaces an old one; a failed export says
    // "Error code 135" and leaves the old file as it was.
    void csvSave()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("drive.csv"));
        const QByteArray precious("last week's export");
        QVERIFY(writeFile(target, precious));
        LinkRig rig;
        std::vector<uint8_t> samples(3000 * 128, 0x41);
        const int failed =
            withFileLimit(2000, [&] { return ScopeCsv::save(target, rig.link.channelTable(), samples.data(), 3000); });
        QCOMPARE(failed, 135);
        QCOMPARE(readFile(target), precious);
        QCOMPARE(ScopeCsv::save(dir.path(), rig.link.channelTable(), samples.data(), 3), 135);
        QCOMPARE(ScopeCsv::save(target, rig.link.channelTable(), samples.data(), 3), 0);
        const QByteArray text = readFile(target);
        QVERIFY(text.startsWith("sec;" + TextById(1400).toUtf8() + ';'));
        QCOMPARE(text.count("\r\n"), 4);
    }
};

QTEST_GUILESS_MAIN(TstOscFile)
#include "tst_osc_file.moc"
