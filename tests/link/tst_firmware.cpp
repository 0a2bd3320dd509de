#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <functional>

#include "link/FirmwareUpdate.h"
#include "link/LoopbackBackend.h"
#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "sim/controller/ControllerSim.h"
#include "sim/controller/FirmwareImage.h"
#include "sim/controller/SimFrames.h"
#include "sim/pty/PtyPort.h"

// Firmware files: the checks, the buffer, and the transfer through the scheduler.
class TestFirmware : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void fileChecks_data();
    void fileChecks();
    void shortImageIsPaddedWithErasedFlash();
    void dialogAndErrorBoxes();
    void backupOnlyBeforeAnUpdateThatStarts_data();
    void backupOnlyBeforeAnUpdateThatStarts();
    void transferThroughTheScheduler();
    void shortImageOverPseudoTerminal();

private:
    // A valid image for the identified controller, `blocks` firmware blocks long.
    QByteArray image(int blocks) const;
    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("fw.img"));
    QList<uint8_t> sentCommands();
    void reply(uint8_t command, const QByteArray& data = QByteArray(2, '\0'));
    void slot();

    QTemporaryDir dir;
    TSterownik* link = nullptr;
    LoopbackBackend* line = nullptr;
};

void TestFirmware::init()
{
    link = new TSterownik;
    link->timer()->stop();
    auto backend = std::make_unique<LoopbackBackend>();
    line = backend.get();
    link->setBackend(std::move(backend));
    QVERIFY(link->PortOpen(1));
    auto& id = link->mem.identity;
    id[40] = 0x21;
    id[42] = 3;
    id[43] = 4;
    id[44] = 0x07;
}

void TestFirmware::cleanup()
{
    delete link;
    link = nullptr;
}

QByteArray TestFirmware::image(int blocks) const
{
    QByteArray b(256 + 256 * blocks, '\0');
    std::memcpy(b.data(), "img file", 8);
    b[8] = 0x07;
    b[18] = 0x21;
    b[20] = 3;
    b[21] = 4;
    for (int i = 256; i < b.size(); ++i) b[i] = static_cast<char>((i * 13) ^ (i >> 8));
    return b;
}

QString TestFirmware::write(const QByteArray& bytes, const QString& name)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    f.write(bytes);
    return path;
}

void TestFirmware::fileChecks_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("error");
    QTest::newRow("whole image") << 0 << 0;
    QTest::newRow("65535 bytes") << 1 << 0;
    QTest::newRow("65536 bytes") << 2 << 142;
    QTest::newRow("no magic") << 3 << 143;
    QTest::newRow("header only") << 4 << 143;
    QTest::newRow("hardware byte 8") << 5 << 144;
    QTest::newRow("hardware byte 18") << 6 << 144;
    QTest::newRow("hardware byte 20") << 7 << 144;
    QTest::newRow("hardware byte 21") << 8 << 144;
    QTest::newRow("missing file") << 9 << 141;
    QTest::newRow("tiny file") << 10 << 143;
}

void TestFirmware::fileChecks()
{
    QFETCH(int, change);
    QFETCH(int, error);
    QByteArray b = image(224);
    switch (change) {
        case 1: b.append(QByteArray(65535 - b.size(), '\x11')); break;
        case 2: b.append(QByteArray(65536 - b.size(), '\x11')); break;
        case 3: b[0] = 'I'; break;
        case 4: b.truncate(256); break;
        case 5: b[8] = 0x08; break;
        case 6: b[18] = 0x22; break;
        case 7: b[20] = 1; break;
        case 8: b[21] = 6; break;
        case 10: b = "img"; break;
        default: break;
    }
    link->mem.firmware.fill(0x55);
    const QString path = change == 9 ? dir.filePath(QStringLiteral("none.img")) : write(b);
    QCOMPARE(FirmwareUpdate::start(*link, path), error);
    const bool accepted = error == 0;
    QCOMPARE(link->commandPending(TSterownik::CmdFirmwarePending), bool(accepted));
    QCOMPARE(link->commandPending(TSterownik::CmdJumpToBootloader), bool(accepted));
    // A refused file leaves the buffer as it was.
    QCOMPARE(link->mem.firmware[300], accepted ? uint8_t(b[300]) : uint8_t(0x55));
}

void TestFirmware::shortImageIsPaddedWithErasedFlash()
{
    link->mem.firmware.fill(0x55);  // an earlier file
    const QByteArray b = image(100) + QByteArray(10, '\x22');
    QCOMPARE(FirmwareUpdate::start(*link, write(b)), 0);
    QCOMPARE(link->mem.firmware[b.size() - 1], uint8_t(0x22));
    for (int i = b.size(); i < 65536; ++i) QCOMPARE(link->mem.firmware[i], uint8_t(0xFF));
}

void TestFirmware::dialogAndErrorBoxes()
{
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Firmware")));
    ScriptedPrompt prompt;
    int shown = 0;
    auto show = [&] { ++shown; };

    Aktualizacja(*link, prompt, dir.path(), show);  // cancelled
    QCOMPARE(prompt.dialogs.size(), 1);
    QCOMPARE(prompt.dialogs[0].folder, dir.filePath(QStringLiteral("Firmware")));
    QCOMPARE(prompt.dialogs[0].defaultExtension, QStringLiteral("img"));
    QVERIFY(prompt.dialogs[0].filter.contains(QStringLiteral(" (*.img)|*.img|")));
    QVERIFY(prompt.messages.isEmpty());
    QCOMPARE(shown, 0);

    QByteArray other = image(224);
    other[21] = 8;
    prompt.fileAnswers = {write(other, QStringLiteral("other.img")), write(image(224))};
    Aktualizacja(*link, prompt, dir.path(), show);
    QCOMPARE(prompt.messages.size(), 1);
    QCOMPARE(prompt.messages[0].caption, QStringLiteral("KAVELO"));
    QCOMPARE(prompt.messages[0].text, QStringLiteral("Error code 144"));
    QCOMPARE(prompt.messages[0].icon, Prompt::Icon::Error);
    QCOMPARE(shown, 0);

    Aktualizacja(*link, prompt, dir.path(), show);
    QCOMPARE(prompt.messages.size(), 1);
    QCOMPARE(shown, 1);
    QCOMPARE(link->commandPending(TSterownik::CmdJumpToBootloader), true);
}

// The step before the start (the window's backup of the configuration) runs only for a file that
// passes every check, before the link is asked to enter the bootloader; a refused file shows its
// error box and nothing else happens.
void TestFirmware::backupOnlyBeforeAnUpdateThatStarts_data()
{
    QTest::addColumn<int>("change");  // 0 none, 1 other hardware, 2 not a firmware file, 3 no file
    QTest::addColumn<int>("error");
    QTest::newRow("accepted") << 0 << 0;
    QTest::newRow("other hardware") << 1 << 144;
    QTest::newRow("not a firmware file") << 2 << 143;
    QTest::newRow("unreadable") << 3 << 141;
}

void TestFirmware::backupOnlyBeforeAnUpdateThatStarts()
{
    QFETCH(int, change);
    QFETCH(int, error);
    QByteArray b = image(224);
    if (change == 1) b[21] = 8;
    if (change == 2) b[0] = 'I';
    ScriptedPrompt prompt;
    prompt.fileAnswers = {change == 3 ? dir.filePath(QStringLiteral("none.img")) : write(b)};
    int backups = 0;
    bool bootloaderAskedBeforeBackup = false;
    int shown = 0;
    Aktualizacja(
        *link, prompt, dir.path(), [&] { ++shown; },
        [&] {
            ++backups;
            bootloaderAskedBeforeBackup = link->commandPending(TSterownik::CmdJumpToBootloader);
        });
    const bool accepted = error == 0;
    QCOMPARE(backups, accepted ? 1 : 0);
    QVERIFY(!bootloaderAskedBeforeBackup);
    QCOMPARE(shown, accepted ? 1 : 0);
    QCOMPARE(link->commandPending(TSterownik::CmdJumpToBootloader), accepted);
    QCOMPARE(prompt.messages.size(), accepted ? 0 : 1);
    if (!accepted) QCOMPARE(prompt.messages[0].text, QStringLiteral("Error code %1").arg(error));
}

QList<uint8_t> TestFirmware::sentCommands()
{
    // The link's frames in plain form, decoded by the controller's own rules.
    QList<uint8_t> commands;
    QByteArray stream = line->tx;
    line->tx.clear();
    while (auto r = SimFrames::takeRequest(stream)) commands.append(r->command);
    return commands;
}

void TestFirmware::reply(uint8_t command, const QByteArray& data)
{
    line->rx.append(SimFrames::encode(0x56, command, data));
}

void TestFirmware::slot()
{
    // Ticks up to the next send slot; a frame arriving postpones it.
    const int before = link->slotCounter;
    for (int t = 0; t < 12 && link->slotCounter == before; ++t) link->Timer1OnTimer();
}

void TestFirmware::transferThroughTheScheduler()
{
    link->workshopId = {0xA1B2C3D4u, 26, 12, 9};
    QCOMPARE(FirmwareUpdate::start(*link, write(image(224))), 0);
    link->justOpened = false;
    slot();
    QCOMPARE(sentCommands(), QList<uint8_t>{0x8E});
    // The firmware update is recorded in the change history.
    QCOMPARE(link->mem.block(MemoryImage::History)[0], uint8_t(1));
    QVERIFY(link->writeMask & 0x80);
    for (int i = 0; i < 8; ++i) slot();
    QVERIFY(sentCommands().isEmpty());  // the controller gets 8 slots to restart
    reply(0x8E);
    slot();
    QCOMPARE(sentCommands(), QList<uint8_t>{0x81});

    // Identification in bootloader mode (two agreeing replies) starts the blocks.
    QByteArray id(76, '\0');
    id[1] = 1;
    reply(0x81, id);
    slot();
    QVERIFY(!link->flashing);
    line->tx.clear();  // the identification asked again
    reply(0x81, id);
    slot();
    slot();
    QVERIFY(link->flashing);
    QByteArray stream = line->tx;
    line->tx.clear();
    auto block = SimFrames::takeRequest(stream);
    QVERIFY(block);
    QCOMPARE(block->command, uint8_t(0xFF));
    QCOMPARE(block->payload.size(), 258);
    QCOMPARE(block->payload.left(2), QByteArray::fromHex("0000"));
    QCOMPARE(block->payload.mid(2), image(224).mid(256, 256));

    for (int n = 0; n < 224; ++n) {
        QCOMPARE(FirmwareUpdate::percent(*link), n * 100 / 224);
        reply(0xFF);
        slot();
        slot();
    }
    QVERIFY(!link->flashing);
    QCOMPARE(link->commandPending(TSterownik::CmdFirmwarePending), false);
    QCOMPARE(FirmwareUpdate::percent(*link), 100);
    for (int i = 0; i < 4; ++i) slot();  // 0x8F, two slots' wait, identification
    QList<uint8_t> sent = sentCommands();
    QVERIFY(sent.contains(0x8F));
    // After the way back, identification until the controller answers.
    const QList<uint8_t> after = sent.mid(sent.indexOf(0x8F) + 1);
    QVERIFY(!after.isEmpty());
    QCOMPARE(after.count(0x81), after.size());
}

void TestFirmware::shortImageOverPseudoTerminal()
{
    // The whole update against the simulated controller on a real line, with an image that ends
    // in the middle of block 150: the rest arrives as erased flash.
    PtyPort pty;
    QVERIFY(pty.open());
    ControllerSim sim;
    TSterownik real;
    real.timer()->stop();
    QVERIFY(real.PortOpen(PortNames::numberForDevice(pty.devicePath())));
    auto run = [&](const std::function<bool()>& done) {
        for (int t = 0; t < 40000 && !done(); ++t) {
            real.Timer1OnTimer();
            const QByteArray in = pty.readAll();
            if (!in.isEmpty()) pty.write(sim.handle(in));
        }
        return done();
    };
    QVERIFY(run([&] { return real.mem.identity[38] != 0 && (real.readMask & 0x80) == 0; }));

    const int date[3] = {26, 12, 9};
    QByteArray file = FirmwareImage::make(sim.identity, 3, 7, date);
    file.truncate(256 + 150 * 256 + 40);
    QCOMPARE(FirmwareUpdate::start(real, write(file)), 0);
    QVERIFY(run([&] { return sim.mode == 1; }));
    QVERIFY(run([&] { return sim.mode == 0 && real.mem.identity[5] == 0 && real.mem.identity[60] == 7; }));

    QByteArray expected = file.mid(256);
    expected.append(QByteArray(224 * 256 - expected.size(), '\xFF'));
    QCOMPARE(sim.firmware.size(), expected.size());
    QVERIFY(sim.firmware == expected);
    QCOMPARE(real.firmwareBlock, 224);
    QCOMPARE(real.StrWersjaCyframi(0x0C), QStringLiteral("3.4.7  (2026.12.09)  "));
    // The update is in the controller's history once the history has been read and written back.
    QVERIFY(run([&] { return real.readMask == 0 && real.writeMask == 0; }));
    QCOMPARE(sim.region(0xA7)[0] & 1, 1);
}

QTEST_GUILESS_MAIN(TestFirmware)
#include "tst_firmware.moc"
