#include "soak/SoakRun.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QTextStream>

#include <algorithm>

#include "link/IdentityReader.h"
#include "link/PortNames.h"
#include "link/Regions.h"
#include "sim/controller/MemoryDump.h"
#include "soak/SoakChecks.h"

namespace {

constexpr TColor kErrorColour = Rgb(255, 0, 0);
constexpr uint32_t kMapMasks[] = {0x10000, 0x20000, 0x100000, 0x200000, 0x400000, 0x800000};
// Settings whose change also changes other regions or sends commands: the soak edits plain
// settings only, so that what it compares is what the link was asked to write.
constexpr int kSettingsWithSideEffects[] = {1, 4, 8, 10, 12, 24, 40, 81, 85, 86};

bool isWriteCommand(int command)
{
    const RegionInfo* r = regionOfCommand(static_cast<uint8_t>(command));
    return r && r->writeCommand == command;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

}  // namespace

SoakRun::SoakRun(SoakOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), random_(options_.seed)
{
    for (int i = 1; i < MemoryImage::kRegionSize; ++i) {
        const SettingDescriptor& d = catalogue_.descriptor(i);
        const bool sideEffects = std::find(std::begin(kSettingsWithSideEffects), std::end(kSettingsWithSideEffects),
                                           i) != std::end(kSettingsWithSideEffects);
        if (d.label != 0 && d.cls() != kClassHeader && d.max > d.min && !sideEffects && !catalogue_.IsLocked(i))
            editableSettings_.append(i);
    }

    link_.workshopId = {0x12345678, 26, 12, 10};
    session_.OnZdarzenie = [this](int kind, int code, int, int) {
        if (kind == kEventFrameReceived && isWriteCommand(code)) ++writeAcks_;
        // Edits made while the plug was out are the soak's own: they go to the controller.
        if (kind == kEventUnsentEdits) {
            ++unsentQuestions_;
            QTimer::singleShot(0, this, [this] { link_.settleUnsentEdits(true); });
        }
        if (kind == kEventFrameSent && (isWriteCommand(code) || code == 0xF8)) ++writeFramesSent_;
    };
    link_.OnTekst = [this](QObject*, const QString& line, TColor colour) {
        if (colour == kErrorColour) ++redLogLines_;
        if (log_) log_->write(line.toUtf8());
    };

    watchdogTimer_.setInterval(100);
    editTimer_.setInterval(options_.editEveryMs);
    secondTimer_.setInterval(1000);
    connect(&watchdogTimer_, &QTimer::timeout, &session_, &WorkshopSession::watchdogTick);
    connect(&session_, &WorkshopSession::portLost, this, [this] { ++portLost_; });
    connect(&session_, &WorkshopSession::reopenTried, this, [this](bool opened) {
        ++reopenTries_;
        if (!opened) return;
        ++reconnects_;
        connectedAt_ = elapsed();
    });
    connect(&editTimer_, &QTimer::timeout, this, &SoakRun::edit);
    connect(&secondTimer_, &QTimer::timeout, this, &SoakRun::everySecond);
    connect(&simulator_, &QProcess::finished, this, &SoakRun::simulatorEnded);
    simulator_.setReadChannel(QProcess::StandardOutput);
    // The simulator's own messages go where this program's go.
    simulator_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SoakRun::~SoakRun()
{
    if (simulator_.state() != QProcess::NotRunning) {
        simulator_.disconnect(this);
        simulator_.terminate();
        simulator_.waitForFinished(5000);
    }
}

bool SoakRun::start()
{
    const QString folder = options_.workFolder.isEmpty() ? temporary_.path() : options_.workFolder;
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        err() << "kavelo-soak: no folder for the memory dump" << Qt::endl;
        return false;
    }
    dumpFile_ = QDir(folder).filePath(QStringLiteral("controller-memory.txt"));
    QFile::remove(dumpFile_);
    if (!options_.logFile.isEmpty()) {
        log_ = std::make_unique<QFile>(options_.logFile);
        if (!log_->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            err() << "kavelo-soak: cannot write " << options_.logFile << Qt::endl;
            return false;
        }
    }

    // The engine stands still: a running engine makes the controller learn map cells on its own and
    // announce them in live frames, which the PC takes as they come (a lost frame loses the cell
    // by design), so its maps could not be compared.
    QStringList args{QStringLiteral("controller"),     QStringLiteral("--engine-off"),
                     QStringLiteral("--corrupt"),      QString::number(options_.corrupt),
                     QStringLiteral("--drop"),         QString::number(options_.drop),
                     QStringLiteral("--dump-on-exit"), dumpFile_};
    if (options_.unplugEvery > 0)
        args << QStringLiteral("--unplug-every") << QString::number(options_.unplugEvery)
             << QStringLiteral("--unplug-for") << QString::number(options_.unplugFor);
    simulator_.start(options_.simulator, args);
    if (!simulator_.waitForStarted(10000)) {
        err() << "kavelo-soak: cannot start " << options_.simulator << Qt::endl;
        return false;
    }
    QElapsedTimer wait;
    wait.start();
    while (!simulator_.canReadLine() && wait.elapsed() < 10000) simulator_.waitForReadyRead(100);
    const QString device = QString::fromUtf8(simulator_.readLine()).section(QLatin1Char('\t'), 0, 0).trimmed();
    const int number = PortNames::numberForDevice(device);
    if (number <= 0) {
        err() << "kavelo-soak: the simulator named no port" << Qt::endl;
        return false;
    }
    connect(&simulator_, &QProcess::readyReadStandardOutput, this, &SoakRun::simulatorOutput);
    err() << "kavelo-soak: controller on " << device << " (port " << number << "), " << options_.seconds << " s, "
          << options_.corrupt * 100 << " % damaged and " << options_.drop * 100
          << " % lost bytes each way, unplugged every " << options_.unplugEvery << " s" << Qt::endl;

    clock_.start();
    session_.openPort(number);
    watchdogTimer_.start();
    editTimer_.start();
    secondTimer_.start();
    return true;
}

void SoakRun::simulatorOutput()
{
    // A pseudo-terminal that came back under another number is picked again, as a fitter would.
    while (simulator_.canReadLine()) {
        const QString device = QString::fromUtf8(simulator_.readLine()).section(QLatin1Char('\t'), 0, 0).trimmed();
        const int number = PortNames::numberForDevice(device);
        if (number > 0 && number != link_.portNumber) {
            link_.portNumber = number;
            ++deviceChanges_;
        }
    }
}

void SoakRun::simulatorEnded()
{
    if (finishing_) return;
    err() << "kavelo-soak: the simulator ended during the run" << Qt::endl;
    ++simulatorCrashes_;
    finish(quiet());
}

bool SoakRun::quiet() const
{
    const TSterownik& link = link_;
    return link.alive() && !link.writesPending() && !link.historyWritePending() && link.readsDone() &&
           IdentityReader(link.mem).modelKnown();
}

void SoakRun::edit()
{
    if (!editing_) return;
    uint32_t mask = 0x1;
    if (random_.bounded(2) == 0 && !editableSettings_.isEmpty()) {
        const int index = editableSettings_[static_cast<int>(random_.bounded(editableSettings_.size()))];
        const SettingDescriptor& d = catalogue_.descriptor(index);
        int value = static_cast<int>(random_.bounded(int(d.min), int(d.max) + 1));
        if (value == catalogue_.byte(index)) value = value == d.max ? d.min : value + 1;
        if (!catalogue_.SetValue(index, value)) return;
        ++settingsEdits_;
    } else {
        mask = kMapMasks[random_.bounded(6)];
        uint8_t* map = link_.mem.region(mask);
        const int cell = static_cast<int>(random_.bounded(256));
        map[cell] = static_cast<uint8_t>(map[cell] % 255 + 1);
        link_.ZapiszDoSterownika(mask);
        ++mapCellEdits_;
    }
    // Not written at once while the link is down (unsent: the fitter is asked at the reconnection)
    // or the region is being read (held until it is read); lost only when neither holds it.
    if (link_.writesPending(mask)) return;
    ++editsWithoutWrite_;
    if (link_.heldEditsMask() & mask) ++editsHeld_;
    else if (link_.unsentEditsMask() & mask) ++editsUnsent_;
    else ++editsLost_;
}

void SoakRun::everySecond()
{
    const double now = elapsed();
    if (connectedAt_ >= 0 && link_.PortConnected() && !link_.justOpened && IdentityReader(link_.mem).modelKnown() &&
        link_.readsDone()) {
        longestRead_ = std::max(longestRead_, now - connectedAt_);
        connectedAt_ = -1;
    }
    if (firstReadAt_ < 0 && quiet()) {
        firstReadAt_ = now;
        editing_ = true;
    }
    if (firstReadAt_ >= 0 && residentAfterWarmUp_ == 0 && now >= firstReadAt_ + options_.warmUpSeconds())
        residentAfterWarmUp_ = SoakChecks::residentKilobytes();
    if (editing_ && now >= options_.seconds - options_.drainSeconds()) editing_ = false;
    if (static_cast<int>(now) % 60 == 0)
        err() << "kavelo-soak: " << static_cast<int>(now) << " s, edits " << settingsEdits_ + mapCellEdits_
              << ", write acknowledgements " << writeAcks_ << ", reconnects " << reconnects_ << ", writes pending 0x"
              << QString::number(link_.pendingWrites(), 16) << Qt::endl;
    // The run ends on time once nothing is pending; a line that cannot drain gets two minutes
    // more (a plug pulled at the end takes a whole connection's reads).
    // The link is asked once: a plug pulled at this very moment must not turn the run's end into
    // a failed drain.
    const bool drained = quiet();
    if (now >= options_.seconds && (drained || now >= options_.seconds + 120)) finish(drained);
}

void SoakRun::print(const char* name, const QString& value)
{
    QTextStream out(stdout);
    out << name << ' ' << value << Qt::endl;
}

void SoakRun::finish(bool drained)
{
    if (finishing_) return;
    finishing_ = true;
    watchdogTimer_.stop();
    editTimer_.stop();
    secondTimer_.stop();
    const double seconds = elapsed();
    const uint32_t writesPending = link_.pendingWrites();
    const uint32_t readsPending = link_.pendingReads();
    const uint32_t unreadable = link_.unreadableMask();
    const uint32_t unwritable = link_.unwritableMask();
    link_.timer()->stop();
    link_.PortClose();
    const qint64 residentAtEnd = SoakChecks::residentKilobytes();

    // Stopping the simulator writes its memory.
    if (simulator_.state() != QProcess::NotRunning) {
        simulator_.terminate();
        if (!simulator_.waitForFinished(10000)) {
            simulator_.kill();
            simulator_.waitForFinished(5000);
            ++simulatorCrashes_;
        }
    }
    if (simulator_.exitStatus() == QProcess::CrashExit || simulator_.exitCode() != 0) ++simulatorCrashes_;
    simulator_.disconnect(this);

    MemoryDump::Contents controller;
    QString dumpError;
    QFile dump(dumpFile_);
    const bool dumped = dump.open(QIODevice::ReadOnly) && MemoryDump::read(dump.readAll(), controller, dumpError);
    const QList<SoakChecks::RegionMismatch> mismatches =
        dumped ? SoakChecks::compareRegions(link_.mem, controller) : QList<SoakChecks::RegionMismatch>{};
    const int regions = static_cast<int>(std::size(kRegions));
    const int equal = dumped ? regions - static_cast<int>(mismatches.size()) : 0;
    const double growth = SoakChecks::growthPercent(residentAfterWarmUp_, residentAtEnd);
    auto figure = [&](const char* name) { return QString::number(controller.figures[QLatin1String(name)]); };

    print("seconds", QString::number(seconds, 'f', 0));
    print("settings-edits", QString::number(settingsEdits_));
    print("map-cell-edits", QString::number(mapCellEdits_));
    print("edits-without-write", QString::number(editsWithoutWrite_));
    print("edits-held-for-a-read", QString::number(editsHeld_));
    print("edits-made-unplugged", QString::number(editsUnsent_));
    print("unplugged-edits-questions", QString::number(unsentQuestions_));
    print("edits-lost", QString::number(editsLost_));
    print("write-frames-sent", QString::number(writeFramesSent_));
    print("write-acknowledgements", QString::number(writeAcks_));
    print("writes-pending", QStringLiteral("0x") + QString::number(writesPending, 16));
    print("reads-pending", QStringLiteral("0x") + QString::number(readsPending, 16));
    print("unreadable-regions", QStringLiteral("0x") + QString::number(unreadable, 16));
    print("unwritable-regions", QStringLiteral("0x") + QString::number(unwritable, 16));
    print("unplugs", figure("unplugs"));
    print("port-lost", QString::number(portLost_));
    print("reconnects", QString::number(reconnects_));
    print("longest-connection-read-seconds", QString::number(longestRead_, 'f', 0));
    print("device-changes", QString::number(deviceChanges_));
    print("bytes-damaged-to-controller", QString::number(controller.figures[QStringLiteral("corrupted-to-controller")] +
                                                         controller.figures[QStringLiteral("dropped-to-controller")]));
    print("bytes-damaged-to-pc", QString::number(controller.figures[QStringLiteral("corrupted-to-pc")] +
                                                 controller.figures[QStringLiteral("dropped-to-pc")]));
    print("frames-refused-by-controller", figure("bad-frames"));
    print("damaged-frames-taken-by-controller", figure("damaged-frames-taken"));
    print("damaged-writes-stored-by-controller", figure("damaged-writes-taken"));
    print("writes-repaired-after-read-back", QString::number(link_.writeRepairs()));
    // A damaged write is repaired when the region reads back as the PC has it at the end: by its
    // read-back's second write, or by a later edit's write that covered it first.
    const bool repaired = dumped && mismatches.isEmpty() && unwritable == 0;
    const qint64 stored = controller.figures[QStringLiteral("damaged-writes-taken")];
    print("damaged-writes-repaired", QStringLiteral("%1/%2").arg(repaired ? stored : 0).arg(stored));
    print("red-log-lines", QString::number(redLogLines_));
    print("regions-equal", QStringLiteral("%1/%2").arg(equal).arg(regions));
    for (const SoakChecks::RegionMismatch& m : mismatches) print("mismatch", m.describe());
    if (!dumped) print("mismatch", QStringLiteral("no memory dump: ") + dumpError);
    print("resident-kb-after-warm-up", QString::number(residentAfterWarmUp_));
    print("resident-kb-at-end", QString::number(residentAtEnd));
    print("resident-growth-percent", QString::number(growth, 'f', 2));
    print("crashes", QString::number(simulatorCrashes_));

    // Under AddressSanitizer freed memory sits in its quarantine: resident memory says nothing there.
#if defined(__SANITIZE_ADDRESS__)
    constexpr bool kMeasureMemory = false;
#else
    constexpr bool kMeasureMemory = true;
#endif
    const bool memoryOk = !kMeasureMemory || (residentAfterWarmUp_ > 0 && growth < 5.0);
    const bool noEditLost = editsLost_ == 0 && link_.heldEditsMask() == 0 && link_.unsentEditsMask() == 0;
    const bool checks[] = {simulatorCrashes_ == 0,
                           drained && writesPending == 0,
                           dumped && mismatches.isEmpty(),
                           repaired,
                           noEditLost,
                           memoryOk};
    const char* names[] = {"no-crash",     "writes-acknowledged", "memory-equal", "damaged-writes-repaired",
                           "no-edit-lost", "resident-memory"};
    bool all = true;
    for (size_t i = 0; i < std::size(checks); ++i) {
        print("check", QLatin1String(names[i]) + QLatin1String(checks[i] ? " pass" : " FAIL"));
        all = all && checks[i];
    }
    if (!kMeasureMemory) print("note", QStringLiteral("resident memory is not checked under AddressSanitizer"));
    print("result", all ? QStringLiteral("pass") : QStringLiteral("FAIL"));
    exitCode_ = all ? 0 : 1;
    Q_EMIT finished();
}
