// The settings file on real files: its byte layout, the header check, files of the wrong size,
// targets that are not regular files, failed saves that must not harm an existing file, and
// loading with and without a connected controller.
#include <QtCore/QDate>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>

#include "base/Prompt.h"
#include "base/TextTable.h"
#include "link/SettingsFile.h"
#include "link/SettingsFileOps.h"
#include "tests/link/ImageFileLayout.h"
#include "tests/link/LinkTestKit.h"

namespace {

using ImageFileLayout::kLayout;
using ImageFileLayout::partOf;

constexpr int kHistoryPart = 3;

// Different bytes in every part and for every seed.
void fillPattern(MemoryImage& m, int seed)
{
    for (int p = 0; p < 18; ++p)
        for (int i = 0; i < kLayout[p].size; ++i) partOf(m, p)[i] = static_cast<uint8_t>(seed + 37 * p + 3 * i);
    // The regions the file does not carry.
    std::memset(m.blocks[MemoryImage::RailPressureEmulator - 3].data(), seed, 256);
    std::memset(m.blocks[MemoryImage::GasInjectionDelay - 3].data(), seed + 1, 256);
    std::memset(m.blocks[MemoryImage::Enrichment - 3].data(), seed + 2, 256);
}

bool sameImage(const MemoryImage& a, const MemoryImage& b)
{
    return a.settings == b.settings && a.maps == b.maps && a.blocks == b.blocks && a.identity == b.identity &&
           a.reservedA == b.reservedA && a.obdStatus == b.obdStatus;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString hexList(const QList<int>& commands)
{
    QStringList parts;
    for (int c : commands) parts.append(QString::number(c, 16).toUpper());
    return parts.join(QLatin1Char(' '));
}

QByteArray header(int version = 1)
{
    QByteArray h("set file", 8);
    h.append(static_cast<char>(version));
    h.append(7, '\0');
    return h;
}

}  // namespace

class TstSettingsFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(programTexts().load());
        programLanguage() = TextTable::English;
    }

    void layoutOnDisk()
    {
        MemoryImage mem;
        fillPattern(mem, 1);
        QCOMPARE(int(SettingsFile::save(path("layout.set"), mem)), 0);
        const QByteArray f = readFile(path("layout.set"));
        QCOMPARE(f.size(), 4096);
        QCOMPARE(f.left(9), QByteArray("set file\x01", 9));
        QCOMPARE(f.mid(9, 7), QByteArray(7, '\0'));
        for (int p = 0; p < 18; ++p)
            QVERIFY2(f.mid(kLayout[p].offset, kLayout[p].size) ==
                         QByteArray(reinterpret_cast<const char*>(partOf(mem, p)), kLayout[p].size),
                     kLayout[p].name);
    }

    // Everything comes back except the history, which stays as the controller reported it; the
    // regions a file does not carry are left alone.
    void roundTripKeepsHistory()
    {
        MemoryImage saved;
        fillPattern(saved, 1);
        QCOMPARE(int(SettingsFile::save(path("round.set"), saved)), 0);

        MemoryImage loaded;
        fillPattern(loaded, 100);
        const MemoryImage before = loaded;
        QCOMPARE(int(SettingsFile::load(path("round.set"), loaded)), 0);
        for (int p = 0; p < 18; ++p) {
            const MemoryImage& expected = p == kHistoryPart ? before : saved;
            QVERIFY2(std::memcmp(partOf(loaded, p), partOf(const_cast<MemoryImage&>(expected), p),
                                 static_cast<size_t>(kLayout[p].size)) == 0,
                     kLayout[p].name);
        }
        for (int b : {MemoryImage::RailPressureEmulator, MemoryImage::GasInjectionDelay, MemoryImage::Enrichment})
            QCOMPARE(loaded.blocks[static_cast<size_t>(b - 3)], before.blocks[static_cast<size_t>(b - 3)]);
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("create");
        QTest::addColumn<int>("code");

        QByteArray wrongMagic = header() + QByteArray(4080, 'x');
        wrongMagic[3] = '_';
        QTest::newRow("wrong magic") << wrongMagic << true << 123;
        QTest::newRow("version 2") << header(2) + QByteArray(4080, 'x') << true << 123;
        QTest::newRow("version 0") << header(0) + QByteArray(4080, 'x') << true << 123;
        QTest::newRow("header cut short") << header().left(12) << true << 123;
        QTest::newRow("empty file") << QByteArray() << true << 123;
        QTest::newRow("recording file") << QByteArray("osc file\x01", 9) + QByteArray(4087, '\0') << true << 123;
        QTest::newRow("no such file") << QByteArray() << false << 122;
    }

    void refusedFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, create);
        QFETCH(int, code);
        const QString file = path(QStringLiteral("refused-%1.set").arg(QTest::currentDataTag()));
        if (create) QVERIFY(writeFile(file, content));
        MemoryImage mem;
        fillPattern(mem, 5);
        const MemoryImage before = mem;
        QCOMPARE(int(SettingsFile::load(file, mem)), code);
        QVERIFY(sameImage(mem, before));
    }

    void folderIsNotAFile()
    {
        MemoryImage mem;
        QCOMPARE(int(SettingsFile::load(dir.path(), mem)), 122);
        QCOMPARE(int(SettingsFile::load(QString(), mem)), 122);
    }

    // Files of this format are always 4096 bytes: a cut or padded one is refused whole, so that a
    // connected load never writes a mix of the file's regions and the image's.
    void wrongSizeRefused_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("header only") << 16;
        QTest::newRow("into reserved B") << 40;
        QTest::newRow("into the history") << 300;
        QTest::newRow("into the settings") << 600;
        QTest::newRow("into a correction curve") << 2000;
        QTest::newRow("one byte short") << 4095;
        QTest::newRow("one byte long") << 4097;
        QTest::newRow("longer than the format") << 5000;
    }

    void wrongSizeRefused()
    {
        QFETCH(int, length);
        MemoryImage source;
        fillPattern(source, 1);
        QByteArray bytes = SettingsFile::encode(source);
        bytes = length <= bytes.size() ? bytes.left(length) : bytes + QByteArray(length - bytes.size(), '\x5A');
        const QString file = path(QStringLiteral("size-%1.set").arg(length));
        QVERIFY(writeFile(file, bytes));

        MemoryImage mem;
        fillPattern(mem, 77);
        const MemoryImage before = mem;
        QCOMPARE(int(SettingsFile::load(file, mem)), 123);
        QVERIFY(sameImage(mem, before));
    }

    // A connected load of a short file shows "Error code 123" and queues nothing.
    void connectedShortFileQueuesNothing()
    {
        LinkRig rig;
        ControllerSim sim;
        rig.far = &sim;
        rig.connectController();
        for (int i = 0; i < 120 && rig.link.readMask; ++i) rig.slot();
        QCOMPARE(rig.link.readMask, 0u);
        MemoryImage source;
        fillPattern(source, 1);
        QVERIFY(writeFile(path("short.set"), SettingsFile::encode(source).left(3000)));
        const MemoryImage before = rig.link.mem;
        ScriptedPrompt prompt;
        prompt.fileAnswers << path("short.set");
        CzytajUstawienia(rig.link, prompt);
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].text, QStringLiteral("Error code 123"));
        QVERIFY(sameImage(rig.link.mem, before));
        QCOMPARE(rig.link.writeMask | rig.link.readMask, 0u);
        QCOMPARE(int(rig.link.commandPending(TSterownik::CmdFactorySettings)), 0);
    }

    // A save over something that is not a regular file (a FIFO, a link to a device node) is
    // refused with "Error code 121" and leaves it as it was; loading one does not hang.
    void oddTargetsRefused()
    {
        const QString fifo = path("pipe.set");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const QString device = path("device.set");
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), device));
        MemoryImage mem;
        fillPattern(mem, 4);
        for (const QString& target : {fifo, device}) {
            ScriptedPrompt prompt;
            prompt.fileAnswers << target;
            LinkRig rig;
            rig.link.mem = mem;
            ZapiszUstawienia(rig.link, prompt);
            QCOMPARE(prompt.messages.size(), 1);
            QCOMPARE(prompt.messages[0].text, QStringLiteral("Error code 121"));
            QCOMPARE(int(SettingsFile::load(target, mem)), 122);
        }
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &st) == 0);
        QVERIFY(S_ISFIFO(st.st_mode));
        QVERIFY(QFileInfo(device).isSymLink());
        QCOMPARE(QFileInfo(device).symLinkTarget(), QStringLiteral("/dev/null"));
        // A regular file in the same folder is still saved over.
        QCOMPARE(int(SettingsFile::save(path("plain.set"), mem)), 0);
        QCOMPARE(readFile(path("plain.set")), SettingsFile::encode(mem));
    }

    void saveFailures_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder missing") << "missing/folder/a.set";
        QTest::newRow("parent is a file") << "plain.bin/a.set";
        QTest::newRow("target is a folder") << "folder.set";
        QTest::newRow("no name") << "";
    }

    void saveFailures()
    {
        QFETCH(QString, target);
        QVERIFY(writeFile(path("plain.bin"), "not a folder"));
        QDir(dir.path()).mkpath(QStringLiteral("folder.set"));
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        MemoryImage mem;
        QCOMPARE(int(SettingsFile::save(target.isEmpty() ? QString() : path(target), mem)), 121);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QCOMPARE(readFile(path("plain.bin")), QByteArray("not a folder"));
    }

    // A save that fails half-way (here: the file-size limit, as on a full disk) leaves the file
    // that was there untouched and no temporary file behind.
    void failedSaveKeepsExistingFile()
    {
        QTemporaryDir own;
        const QString target = own.filePath(QStringLiteral("keep.set"));
        const QByteArray precious("settings the fitter saved last week");
        QVERIFY(writeFile(target, precious));

        rlimit old{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 1000;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        MemoryImage mem;
        fillPattern(mem, 3);
        const int result = SettingsFile::save(target, mem);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(result, 121);
        QCOMPARE(readFile(target), precious);
        QCOMPARE(QDir(own.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.set")});

        // Without the limit the same save replaces it.
        QCOMPARE(int(SettingsFile::save(target, mem)), 0);
        QCOMPARE(readFile(target), SettingsFile::encode(mem));
    }

    void dialogs()
    {
        LinkRig rig;
        ScriptedPrompt prompt;
        rig.link.documentsFolder = dir.path();
        ZapiszUstawienia(rig.link, prompt);  // cancelled
        rig.link.documentsFolder = dir.filePath(QStringLiteral("no-such-documents"));
        CzytajUstawienia(rig.link, prompt);  // cancelled
        QVERIFY(prompt.messages.isEmpty());
        QCOMPARE(prompt.dialogs.size(), 2);

        const Prompt::FileDialog& save = prompt.dialogs[0];
        QCOMPARE(save.title, QStringLiteral("Save settings to file"));
        QCOMPARE(save.folder, dir.path() + QStringLiteral("/ORVA/Kavelo II/Settings"));
        QCOMPARE(save.fileName, QStringLiteral("KAVELO_") + QDate::currentDate().toString(Qt::ISODate) +
                                    QStringLiteral(".set"));  // no controller identified
        QCOMPARE(save.filter, QStringLiteral("Settings file (*.set)|*.set|All files (*.*)|*.*"));
        QCOMPARE(save.filterIndex, 1);
        QCOMPARE(save.defaultExtension, QStringLiteral("set"));
        const Prompt::FileDialog& open = prompt.dialogs[1];
        QCOMPARE(open.title, QStringLiteral("Read settings from file"));
        QCOMPARE(open.folder, QString());  // documents folder missing: the dialog's own default
        QCOMPARE(open.filter, save.filter);
    }

    // The save proposes the controller's bar code and the date as the file name, with what a file
    // name cannot hold replaced; the save says which file it wrote.
    void saveProposesBarCodeAndDate_data()
    {
        QTest::addColumn<QByteArray>("barCode");  // identity bytes 6..21
        QTest::addColumn<QString>("proposed");
        QTest::newRow("bar code") << QByteArray("KV2204117") << "KV2204117_2026-12-11.set";
        QTest::newRow("all sixteen bytes") << QByteArray("ABCDEFGHIJKLMNOP") << "ABCDEFGHIJKLMNOP_2026-12-11.set";
        QTest::newRow("characters no file name takes") << QByteArray("KV/22 04:1*") << "KV-22-04-1-_2026-12-11.set";
        QTest::newRow("none") << QByteArray() << "KAVELO_2026-12-11.set";
    }
    void saveProposesBarCodeAndDate()
    {
        QFETCH(QByteArray, barCode);
        QFETCH(QString, proposed);
        LinkRig rig;
        std::copy(barCode.begin(), barCode.end(), rig.link.mem.identity.begin() + 6);
        QCOMPARE(SettingsFileOps::proposedFileName(rig.link.mem, QDate(2026, 12, 11)), proposed);

        ScriptedPrompt prompt;
        const QString target = path(QStringLiteral("proposed.set"));
        prompt.fileAnswers = {target};
        QCOMPARE(ZapiszUstawienia(rig.link, prompt), target);
        QCOMPARE(prompt.dialogs.size(), 1);
        QCOMPARE(prompt.dialogs[0].fileName, SettingsFileOps::proposedFileName(rig.link.mem, QDate::currentDate()));
        QCOMPARE(QFileInfo(target).size(), qint64(SettingsFile::kSize));
        QVERIFY(prompt.messages.isEmpty());
        // A failed save says so and names no file.
        prompt.fileAnswers = {path(QStringLiteral("missing/x.set"))};
        QCOMPARE(ZapiszUstawienia(rig.link, prompt), QString());
        QCOMPARE(prompt.messages.size(), 1);
    }

    void errorBoxes_data()
    {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::newRow("cannot create") << true << "missing/x.set"
                                       << "Error code 121";
        QTest::newRow("cannot open") << false << "missing.set"
                                     << "Error code 122";
        QTest::newRow("not a settings file") << false << "junk.set"
                                             << "Error code 123";
    }

    void errorBoxes()
    {
        QFETCH(bool, saving);
        QFETCH(QString, file);
        QFETCH(QString, text);
        QVERIFY(writeFile(path("junk.set"), QByteArray(4096, 'j')));
        LinkRig rig;
        fillPattern(rig.link.mem, 9);
        const MemoryImage before = rig.link.mem;
        ScriptedPrompt prompt;
        prompt.fileAnswers << path(file);
        if (saving) ZapiszUstawienia(rig.link, prompt);
        else CzytajUstawienia(rig.link, prompt);
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].caption, QStringLiteral("KAVELO"));
        QCOMPARE(prompt.messages[0].text, text);
        QCOMPARE(prompt.messages[0].icon, Prompt::Icon::Error);
        QVERIFY(sameImage(rig.link.mem, before));
        QVERIFY(rig.link.loadedFileName.isEmpty());
        QVERIFY(rig.events.isEmpty());
    }

    // Disconnected: only the PC's image changes; the name is remembered and announced.
    void offlineLoad()
    {
        LinkRig rig;
        MemoryImage source;
        fillPattern(source, 1);
        source.identity[59] = 6;  // injectors
        source.settings[4] = 3;   // AFR on the RPM wire
        QVERIFY(writeFile(path("offline.set"), SettingsFile::encode(source)));

        ScriptedPrompt prompt;
        prompt.fileAnswers << path("offline.set");
        CzytajUstawienia(rig.link, prompt);
        QVERIFY(prompt.messages.isEmpty());
        QCOMPARE(rig.link.mem.settings, source.settings);
        QCOMPARE(rig.link.loadedFileName, path("offline.set"));
        QCOMPARE(rig.events.size(), 1);
        QCOMPARE(rig.events[0].kind, 4);
        QCOMPARE(rig.events[0].code + rig.events[0].value + rig.events[0].length, 0);
        QCOMPARE(rig.link.writeMask | rig.link.readMask, 0u);
        // The channel table follows the loaded identity and settings.
        QCOMPARE(int(rig.link.injectorCount), 6);
        QCOMPARE(rig.link.channels().size() > 0, true);

        // Saved under another name, the file worked on is the new one (the caption follows the event);
        // saved under its own name, nothing is raised again.
        prompt.fileAnswers << path("renamed.set") << path("renamed.set");
        ZapiszUstawienia(rig.link, prompt);
        QVERIFY(prompt.messages.isEmpty());
        QCOMPARE(rig.link.loadedFileName, path("renamed.set"));
        QCOMPARE(rig.events.size(), 2);
        QCOMPARE(rig.events[1].kind, 4);
        ZapiszUstawienia(rig.link, prompt);
        QCOMPARE(rig.events.size(), 2);
        QCOMPARE(readFile(path("renamed.set")), SettingsFile::encode(rig.link.mem));
    }

    // Connected: the adaptation is folded in, the pending reads are dropped, and the link sends
    // the settings, multipliers, RPM corrections, curves and maps, then 0x89, then reads back.
    void connectedLoadFrames()
    {
        LinkRig rig;
        ControllerSim sim;
        rig.far = &sim;
        // Ten entries of the controller's history, written by other workshops.
        QByteArray theirs;
        for (int n = 0; n < 10; ++n) theirs += QByteArray::fromHex("0818010100000000");
        for (int n = 0; n < 10; ++n) theirs[8 * n + 7] = static_cast<char>(n + 1);
        std::memcpy(sim.region(0xA7), theirs.constData(), 80);
        rig.link.workshopId = {0xCAFE0001, 26, 5, 14};
        rig.connectController();
        rig.slots(3);  // a few of the reads that follow the identification

        MemoryImage source;
        fillPattern(source, 1);
        source.identity[66] = 138;  // bank 1 idle correction +10
        source.identity[67] = 130;  // bank 1 multiplier +2
        source.identity[68] = 128;
        source.identity[69] = 120;  // bank 2 multiplier -8
        source.settings[90] = 100;
        source.blocks[0][0] = 254;
        source.blocks[1][0] = 5;
        QVERIFY(writeFile(path("connected.set"), SettingsFile::encode(source)));
        // A read of the bulk read may be on the line already: it went out before the load.
        const qsizetype sentBefore = rig.sent.size();
        QCOMPARE(CzytajUstawienia(rig.link, path("connected.set")), 0);

        QCOMPARE(rig.link.writeMask, 0xF3071Fu);
        // The history read that had not arrived yet stays pending.
        QCOMPARE(rig.link.readMask, 0xF3079Fu);
        QCOMPARE(int(rig.link.commandPending(TSterownik::CmdFactorySettings)), 1);
        QVERIFY(rig.link.loadedFileName.isEmpty());
        QCOMPARE(rig.eventsOf(4, 0), 0);

        QMap<int, QByteArray> written;  // write command -> the 256 region bytes it carried
        for (int i = 0; i < 200 && (rig.link.writeMask || rig.link.readMask ||
                                    rig.link.commandPending(TSterownik::CmdSettingsWrite) ||
                                    rig.link.commandPending(TSterownik::CmdFactorySettings));
             ++i) {
            SimFrames::Request request;
            const int c = rig.slot(&request);
            if (c >= 0 && request.payload.size() == 258) written[c] = request.payload.mid(2);
        }
        // Every frame the link sent after the load, live requests aside.
        QList<int> sent;
        for (const auto& [c, slot] : rig.sent.mid(sentBefore))
            if ((c & 0xF0) != 0x90) sent.append(c);
        // The history writes (0xC7) carry the change-history entries of the configuration writes
        // and of the factory-settings command.
        // The history had not been read when the file was loaded: its entries wait for the read
        // (each region is read twice, the second read confirming the first) and go out once, over
        // the controller's own history. Every write is read back (the regions the factory-settings
        // reply reads again among them), once when the reply shows what was written.
        const QList<int> expected = {0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5,
                                     0xC8, 0xC9, 0xCA, 0x89, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xE0, 0xE1,
                                     0xE2, 0xE3, 0xE4, 0xE5, 0xA7, 0xA7, 0xC7, 0xA7, 0xA8, 0xA9, 0xAA};
        QCOMPARE(hexList(sent), hexList(expected));

        // What went to the controller: the file's regions, the adaptation folded in.
        const QByteArray settings = written[0xF8];
        QCOMPARE(int(uint8_t(settings[90])), 110);
        unsigned sum = 0;
        for (char b : settings) sum += uint8_t(b);
        QCOMPARE(sum & 0xFF, 0u);
        QCOMPARE(settings.mid(91), QByteArray(reinterpret_cast<const char*>(source.settings.data()) + 91, 256 - 91));
        QCOMPARE(int(uint8_t(written[0xF9][0])), 255);  // 254 + 2, limited
        QCOMPARE(int(uint8_t(written[0xF9][1])), source.blocks[0][1] + 2);
        QCOMPARE(int(uint8_t(written[0xFA][0])), 1);  // 5 - 8, limited to 1
        const int writeCommands[] = {0xFB, 0xFC, 0xC8, 0xC9, 0xCA, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5};
        const int parts[] = {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
        for (int k = 0; k < 11; ++k)
            QVERIFY2(written[writeCommands[k]] ==
                         QByteArray(reinterpret_cast<const char*>(partOf(source, parts[k])), 256),
                     kLayout[parts[k]].name);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(sim.settings()), 256), settings);
        // The read-back left the image as the controller holds it.
        QVERIFY(std::memcmp(rig.link.mem.settingsBlock(), sim.settings(), 256) == 0);
        // The ten entries survive; the load adds one: configuration written and factory settings.
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(sim.region(0xA7)), 96),
                 theirs + QByteArray::fromHex("0A1A050ECAFE0001") + QByteArray(8, '\0'));
        QVERIFY(!rig.link.historyWritePending());
    }
};

QTEST_GUILESS_MAIN(TstSettingsFile)
#include "tst_settings_file.moc"
