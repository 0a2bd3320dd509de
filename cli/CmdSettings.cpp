// Settings commands: show a settings file, read a controller into a file, load a file into a
// controller, and get or set one setting on a controller.
#include <QtCore/QFileInfo>
#include <QtCore/QSet>

#include <cstring>
#include <functional>
#include <memory>

#include "base/Prompt.h"
#include "base/TextTable.h"
#include "cli/CliArgs.h"
#include "cli/CliLink.h"
#include "cli/Commands.h"
#include "link/Regions.h"
#include "link/SettingsFile.h"
#include "link/SettingsFileOps.h"
#include "link/Tsterownik.h"
#include "settings/ConfigDiff.h"
#include "settings/SettingsCatalogue.h"
#include "settings/SettingsPages.h"
#include "settings/ShownValue.h"

namespace {

// Answers the file dialogs with the path from the command line; message boxes go to stderr as
// the one-line error.
class CliPrompt : public Prompt {
public:
    explicit CliPrompt(QString path) : path_(std::move(path)) {}
    QString openFileName(const FileDialog&) override { return path_; }
    QString saveFileName(const FileDialog&) override { return path_; }
    void message(const QString&, const QString& text, Icon) override
    {
        CliArgs::fail(1, text);
        shown = true;
    }
    void detailedMessage(const QString&, const QString& text, const QString& detail, Icon) override
    {
        CliArgs::fail(1, text);
        if (!detail.isEmpty()) CliArgs::err() << "kavelo-cli: " << detail << Qt::endl;
        shown = true;
    }
    bool yesNo(const QString&, const QString&) override { return false; }
    bool shown = false;

private:
    QString path_;
};

// A link with its catalogue, run from a local event loop.
// A controller link for one settings command, with the catalogue that the program's rules need.
class Session {
public:
    Session()
    {
        catalogue.RegisterSettings();
        catalogue.LoadDefaults();
        cli.onEvent = [this](int kind, int code, int, int) {
            if (kind == kEventFrameReceived && onReply) onReply(code);
        };
    }

    // Opens the port; false after printing the error.
    bool open(const QString& port) { return cli.open(port) == 0; }

    // Runs the link until `done` holds; false after printing the error when the controller stays
    // silent or the user pressed Ctrl+C.
    bool runUntil(const std::function<bool()>& done)
    {
        if (!cli.runUntil(done)) return false;
        if (!CliLink::interrupted()) return true;
        CliArgs::fail(1, QStringLiteral("interrupted"));
        return false;
    }

    // Identification, then every region the link reads after it.
    bool readAll()
    {
        return cli.identify(~0u) && runUntil([this] { return link.linkMask == 0 && link.readMask == 0; });
    }

    // Every write, command and read queued so far has been answered.
    bool settled() const
    {
        return link.pendingCommands() == 0 && link.writeMask == 0 && link.readMask == 0 && link.linkMask == 0;
    }

    CliLink cli;
    TSterownik& link = cli.link;
    SettingsCatalogue& catalogue = cli.session.catalogue();
    std::function<void(int)> onReply;
};

// Regions the factory-settings reply reads back after a connected load.
constexpr uint32_t kReadBackMask = 0x71F;

QString regionName(uint8_t command)
{
    const RegionInfo* r = regionOfCommand(command);
    return QString::fromLatin1(r ? r->name : "region");
}

QString settingLine(SettingsCatalogue& cat, int index)
{
    const QString value = cat.ValueText(index);
    return QStringLiteral("%1\t%2\t%3\t%4").arg(index).arg(cat.LabelText(index), value, cat.UnitText(index));
}

// The shown value of `raw` without putting anything right: a list byte outside its options (which
// showing would correct and write) is given as the stored byte.
QString shownText(SettingsCatalogue& cat, int index, int raw)
{
    const SettingDescriptor& d = cat.descriptor(index);
    if (d.cls() == kClassList && (raw < d.min || raw > d.max)) return QStringLiteral("raw %1").arg(raw);
    const QString text = cat.ValueText(index, raw);
    return text.isEmpty() ? QStringLiteral("raw %1").arg(raw) : text;
}

QString withUnit(SettingsCatalogue& cat, int index, const QString& value)
{
    const QString unit = cat.UnitText(index);
    return unit.isEmpty() ? value : value + QLatin1Char(' ') + unit;
}

// What `index` takes, for the errors: its choices, or its limits in the unit it is shown in.
QString takesText(SettingsCatalogue& cat, int index, const ShownValue::Rule& rule)
{
    if (rule.kind == ShownValue::Rule::Choice) {
        QStringList shown = rule.choices;
        shown.removeAll(QString());  // a text the language table lacks cannot be typed
        return QStringLiteral("one of: %1").arg(shown.join(QStringLiteral(", ")));
    }
    if (rule.kind == ShownValue::Rule::Number)
        return QStringLiteral("%1 .. %2")
            .arg(cat.ValueText(index, rule.min), withUnit(cat, index, cat.ValueText(index, rule.max)));
    return QStringLiteral("only a stored byte (--raw), %1 .. %2").arg(rule.min).arg(rule.max);
}

// The setting's value from the command line: the stored byte with --raw, else the value as `get`
// shows it. -1 after printing why it is refused (exit 2).
int storedByte(SettingsCatalogue& cat, int index, const QString& value, bool raw)
{
    const ShownValue::Rule rule = cat.ShownRule(index);
    const QString name = QStringLiteral("setting %1 (%2)").arg(index).arg(ConfigDiff::settingName(cat, index));
    if (raw) {
        bool ok = false;
        const int byte = value.toInt(&ok);
        if (ok && byte >= rule.min && byte <= rule.max) return byte;
        CliArgs::fail(
            2,
            QStringLiteral("%1 takes a stored byte %2 .. %3, not %4").arg(name).arg(rule.min).arg(rule.max).arg(value));
        return -1;
    }
    const ShownValue::Parsed parsed = ShownValue::parse(rule, value);
    switch (parsed.outcome) {
        case ShownValue::Outcome::Taken:
        case ShownValue::Outcome::Rounded: return parsed.raw;
        case ShownValue::Outcome::OutOfLimits:
            CliArgs::fail(
                2, QStringLiteral("%1 is outside the limits of %2: %3").arg(value, name, takesText(cat, index, rule)));
            break;
        case ShownValue::Outcome::NotTyped:
            CliArgs::fail(2, QStringLiteral("%1 has no value to type; give %2").arg(name, takesText(cat, index, rule)));
            break;
        case ShownValue::Outcome::NotANumber:
        case ShownValue::Outcome::NoSuchChoice:
            CliArgs::fail(2, QStringLiteral("%1 takes %2, not \"%3\"").arg(name, takesText(cat, index, rule), value));
            break;
    }
    return -1;
}

bool takeIndex(const QString& text, int& index)
{
    bool ok = false;
    index = text.toInt(&ok);
    return ok && index >= 0 && index < SettingsCatalogue::kIndexCount;
}

}  // namespace

int cmdShowSettings(const QStringList& arguments)
{
    QStringList args = arguments;
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    if (args.size() != 1) return CliArgs::fail(2, QStringLiteral("show-settings takes one settings file"));
    programTexts().load();

    Session s;
    const int result = CzytajUstawienia(s.link, args.first());
    if (result != 0) return CliArgs::failCode(1, result);

    QTextStream& out = CliArgs::out();
    QSet<int> shown;
    for (int page : SettingsPages::pages()) {
        const int level = page == 0 ? 2 : 1;
        out << (page == 0 ? QStringLiteral("[page 0, view level 2]") : QStringLiteral("[page %1]").arg(page)) << '\n';
        for (int cell : SettingsPages::layout(page, level)) {
            if (cell < 0 || s.catalogue.descriptor(cell).label == 0) continue;
            out << settingLine(s.catalogue, cell) << '\n';
            shown.insert(cell);
        }
    }
    out << "[other settings]\n";
    for (int i = 0; i < SettingsCatalogue::kIndexCount; ++i)
        if (s.catalogue.descriptor(i).label != 0 && !shown.contains(i)) out << settingLine(s.catalogue, i) << '\n';
    out.flush();
    return 0;
}

int cmdReadSettings(const QStringList& arguments)
{
    QStringList args = arguments;
    QString port;
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) || port.isEmpty() || args.size() != 1)
        return CliArgs::fail(2, QStringLiteral("usage: read-settings --port P FILE.set"));
    programTexts().load();
    if (const int rc = CliArgs::refuseOutput(args.first(), SettingsFile::CannotCreate)) return rc;

    Session s;
    if (!s.open(port)) return 1;
    CliArgs::err() << "reading the controller on " << port << "..." << Qt::endl;
    if (!s.readAll()) return 1;
    CliPrompt prompt(args.first());
    ZapiszUstawienia(s.link, prompt);
    if (prompt.shown) return 1;
    CliArgs::out() << "saved " << args.first() << " from " << port << '\n';
    CliArgs::out().flush();
    return 0;
}

int cmdWriteSettings(const QStringList& arguments)
{
    QStringList args = arguments;
    QString port;
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) || port.isEmpty() || args.size() != 1)
        return CliArgs::fail(2, QStringLiteral("usage: write-settings --port P FILE.set"));
    programTexts().load();
    const QString file = args.first();
    {
        // A file the program would refuse is refused before the controller is touched.
        MemoryImage scratch;
        const int check = SettingsFile::load(file, scratch);
        if (check != 0) return CliArgs::failCode(1, check);
    }

    Session s;
    if (!s.open(port)) return 1;
    CliArgs::err() << "reading the controller on " << port << "..." << Qt::endl;
    if (!s.readAll()) return 1;

    QStringList written, readBack;
    bool factoryDone = false;
    // Each region once, in the order of its first reply (a read is confirmed by a second one).
    auto once = [](QStringList& list, const QString& name) {
        if (!list.contains(name)) list << name;
    };
    s.onReply = [&](int code) {
        if (code == 0x89) factoryDone = true;
        else if (code == 0xF8 || (code >= 0xF9 && code <= 0xFC) || (code >= 0xF0 && code <= 0xF5) ||
                 (code >= 0xC7 && code <= 0xCD))
            once(written, regionName(static_cast<uint8_t>(code)));
        else if (factoryDone && (code >= 0xE8 || (code >= 0xE0 && code <= 0xE5) || (code >= 0xA7 && code <= 0xAD)))
            once(readBack, regionName(static_cast<uint8_t>(code)));
    };
    CliPrompt prompt(file);
    CzytajUstawienia(s.link, prompt);
    if (prompt.shown) return 1;
    // What goes to the controller: the file with the adaptation folded in.
    const auto sent = std::make_unique<MemoryImage>(s.link.mem);
    if (!s.runUntil([&] { return factoryDone && s.settled(); })) return 1;

    QTextStream& out = CliArgs::out();
    out << "written to " << port << ": " << written.join(QStringLiteral(", ")) << '\n';
    out << "factory-settings command acknowledged\n";
    out << "read back: " << readBack.join(QStringLiteral(", ")) << '\n';
    out.flush();
    // Written is only what reads back the same, region by region (the settings without their
    // checksum byte, which the link computes afresh when it sends them).
    uint32_t differing = 0;
    for (const RegionInfo& r : kRegions) {
        if (!(r.mask & kReadBackMask)) continue;
        const int from = r.mask == 0x1 ? 1 : 0;
        if (std::memcmp(sent->region(r.mask) + from, s.link.mem.region(r.mask) + from,
                        static_cast<size_t>(MemoryImage::kRegionSize - from)) != 0)
            differing |= r.mask;
    }
    if (differing)
        return CliArgs::fail(1, QStringLiteral("the controller on %1 does not hold what was written: %2")
                                    .arg(port, QString::fromStdString(regionNames(differing))));
    return 0;
}

int cmdGet(const QStringList& arguments)
{
    QStringList args = arguments;
    QString port;
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    int index = 0;
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) || port.isEmpty() || args.size() != 1 ||
        !takeIndex(args.first(), index))
        return CliArgs::fail(2, QStringLiteral("usage: get --port P INDEX (0..303)"));

    // Only the settings block is read (a read confirmed by a second one that agrees).
    Session s;
    if (!s.open(port)) return 1;
    if (!s.cli.identify(0x1)) return 1;
    s.link.dropReads(0x80);  // nothing is written: the change history is not needed
    if (!s.runUntil([&] { return s.link.readMask == 0 && s.link.linkMask == 0; })) return 1;

    const int stored = s.catalogue.byte(index);
    const SettingDescriptor& d = s.catalogue.descriptor(index);
    const bool outsideList = d.cls() == kClassList && (stored < d.min || stored > d.max);
    const int shown = outsideList ? std::clamp(stored, int(d.min), int(d.max)) : stored;
    QTextStream& out = CliArgs::out();
    out << QStringLiteral("%1\t%2\t%3\t%4")
               .arg(index)
               .arg(s.catalogue.LabelText(index), s.catalogue.ValueText(index, shown), s.catalogue.UnitText(index))
        << "\traw " << stored << '\n';
    if (outsideList)
        out << "note: the stored value " << stored << " is outside the list; the program shows it as " << shown
            << " and writes that when it shows the setting\n";
    out.flush();
    return 0;
}

int cmdSet(const QStringList& arguments)
{
    QStringList args = arguments;
    QString port;
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    const bool raw = CliArgs::takeFlag(args, QStringLiteral("--raw"));
    int index = 0;
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) || port.isEmpty() || args.size() < 2 ||
        !takeIndex(args[0], index))
        return CliArgs::fail(2, QStringLiteral("usage: set --port P INDEX (0..303) VALUE, or --raw BYTE"));
    // A list text may come unquoted, in several words.
    const QString value = args.mid(1).join(QLatin1Char(' '));

    Session s;
    {
        // A value that cannot be one of the setting's is refused before the controller is touched
        // (a stored byte against its limits as well); a shown number's limits are checked once the
        // controller's own values are read, since an idle correction shows its learned adaptation.
        const ShownValue::Outcome form = ShownValue::parse(s.catalogue.ShownRule(index), value).outcome;
        const bool formOk = form == ShownValue::Outcome::Taken || form == ShownValue::Outcome::Rounded ||
                            form == ShownValue::Outcome::OutOfLimits;
        if ((raw || !formOk) && storedByte(s.catalogue, index, value, raw) < 0) return 2;
    }
    if (!s.open(port)) return 1;
    // The regions the change writes are read first (confirmed), and the change history, which a
    // settings write adds to.
    if (!s.cli.identify(SettingsCatalogue::ChangeWrites(index))) return 1;
    if (!s.runUntil([&] { return s.link.readMask == 0 && s.link.linkMask == 0; })) return 1;

    const int byte = storedByte(s.catalogue, index, value, raw);
    if (byte < 0) return 2;
    const bool rounded =
        !raw && ShownValue::parse(s.catalogue.ShownRule(index), value).outcome == ShownValue::Outcome::Rounded;
    const auto before = s.link.mem.settings;
    const uint32_t commandsBefore = s.link.pendingCommands();
    if (!s.catalogue.SetValue(index, byte))
        return CliArgs::fail(1,
                             QStringLiteral("setting %1 cannot be changed now (it depends on setting 1)").arg(index));
    const auto after = s.link.mem.settings;
    const uint32_t commandsAfter = s.link.pendingCommands();
    const uint32_t otherRegions = s.link.writeMask & ~0x1u;
    if (!s.cli.flushWrites() || !s.runUntil([&] { return s.settled(); })) return 1;

    QTextStream& out = CliArgs::out();
    auto changeLine = [&](int i) {
        out << i << '\t' << ConfigDiff::settingName(s.catalogue, i) << '\t'
            << shownText(s.catalogue, i, before[static_cast<size_t>(i)]) << " -> "
            << withUnit(s.catalogue, i, shownText(s.catalogue, i, after[static_cast<size_t>(i)])) << '\n';
    };
    if (before[static_cast<size_t>(index)] != after[static_cast<size_t>(index)]) changeLine(index);
    else out << index << '\t' << ConfigDiff::settingName(s.catalogue, index) << "\tunchanged\n";
    if (rounded)
        out << "note: " << value << " is not a step of this setting; the nearest is "
            << withUnit(s.catalogue, index, s.catalogue.ValueText(index, byte)) << '\n';
    bool dependent = false;
    for (int i = 0; i < SettingsCatalogue::kIndexCount; ++i) {
        if (i == index || before[static_cast<size_t>(i)] == after[static_cast<size_t>(i)]) continue;
        if (!dependent) out << "also changed by the program's rules:\n";
        dependent = true;
        changeLine(i);
    }
    if (otherRegions)
        out << "also written by the program's rules: " << QString::fromStdString(regionNames(otherRegions)) << '\n';
    static const char* const kCommandNames[TSterownik::CommandCount] = {"live request with OBD data",
                                                                        "clear errors",
                                                                        "automatic fuel change",
                                                                        "quick fuel change",
                                                                        "injector switch",
                                                                        "speaker test",
                                                                        "leak test",
                                                                        "factory settings (adaptation folded in)",
                                                                        "jump to bootloader",
                                                                        "return from bootloader",
                                                                        "firmware update",
                                                                        "settings write"};
    for (int c = 0; c < TSterownik::CommandCount; ++c)
        if (c != TSterownik::CmdSettingsWrite && (commandsAfter >> c & 1) && !(commandsBefore >> c & 1))
            out << "command sent: " << kCommandNames[c] << '\n';
    if (index >= SettingsCatalogue::kControllerCount)
        out << "setting " << index << " is kept by the PC only (settings files), not by the controller\n";
    out << "now: " << settingLine(s.catalogue, index) << '\n';
    out << "written to " << port << '\n';
    out.flush();
    return 0;
}
