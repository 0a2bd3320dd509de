// kavelo-cli backups and diff: the automatic backups of each controller, and comparing a
// controller or a settings file with another settings file.
#include <QtCore/QFileInfo>

#include <memory>

#include "base/OwnTexts.h"
#include "base/Platform.h"
#include "base/TextTable.h"
#include "cli/CliArgs.h"
#include "cli/CliLink.h"
#include "cli/Commands.h"
#include "link/ConfigBackups.h"
#include "link/IdentityReader.h"
#include "link/SettingsFile.h"
#include "link/SettingsFileOps.h"
#include "link/Tsterownik.h"
#include "settings/ConfigDiff.h"

namespace {

// A settings file's memory image and whether it loaded.
struct LoadedFile {
    MemoryImage mem;
    int result = 0;
};

std::unique_ptr<LoadedFile> loadFile(const QString& path)
{
    auto f = std::make_unique<LoadedFile>();
    f->result = SettingsFile::load(path, f->mem);
    return f;
}

int regionCells(const ConfigDiff::Result& diff)
{
    int cells = 0;
    for (const ConfigDiff::RegionChange& r : diff.regions) cells += r.cells;
    return cells;
}

QString pageHeader(int page)
{
    if (page < 0) return QStringLiteral("[") + TextById(OwnText::OtherSettings) + QStringLiteral("]");
    return QStringLiteral("[") + TextById(OwnText::Page) + QLatin1Char(' ') + QString::number(page) +
           QStringLiteral("]");
}

void printDiff(const ConfigDiff::Result& diff)
{
    QTextStream& out = CliArgs::out();
    int page = -2;
    for (const ConfigDiff::Setting& s : diff.settings) {
        if (s.page != page) out << pageHeader(page = s.page) << '\n';
        out << s.index << '\t' << s.label << '\t' << s.textA << '\t' << s.textB;
        if (!s.unit.isEmpty()) out << '\t' << s.unit;
        out << '\n';
    }
    if (!diff.regions.isEmpty()) out << "[" << TextById(OwnText::ColumnRegion) << "]\n";
    for (const ConfigDiff::RegionChange& r : diff.regions) {
        out << TextById(ConfigDiff::regions()[r.region].nameId) << '\t' << ConfigDiff::regionText(r);
        if (r.otherBytes) out << ", " << TextById(OwnText::PointsDiffer);
        out << '\n';
    }
    out.flush();
}

}  // namespace

int cmdBackups(const QStringList& arguments)
{
    QStringList args = arguments;
    QString folder = ConfigBackups::rootFolder(Platform::DocumentsFolder());
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    if (!CliArgs::takeOption(args, QStringLiteral("--folder"), folder) || folder.isEmpty() || args.size() > 1)
        return CliArgs::fail(2, QStringLiteral("usage: kavelo-cli backups [SERIAL|BAR-CODE] [--folder DIR]"));
    programTexts().load();
    QTextStream& out = CliArgs::out();

    // Nothing to list is said in words: a missing folder means no controller was read with backups on.
    if (args.isEmpty() && !QFileInfo(folder).isDir()) {
        out << "no backup folder " << folder
            << ": backups are made when a controller is first read with automatic backups on" << Qt::endl;
        return 0;
    }
    if (args.isEmpty()) {
        // Serial number (the folder's name), backups, newest, and the bar code printed on the controller.
        const QStringList all = ConfigBackups::controllers(folder);
        for (const QString& serial : all) {
            const QList<ConfigBackups::Entry> entries = ConfigBackups::list(folder, serial);
            out << serial << '\t' << entries.size() << '\t' << entries.last().when.toString(Qt::ISODate) << '\t'
                << ConfigBackups::barCodeIn(folder, serial) << '\n';
        }
        if (all.isEmpty()) out << "no backups in " << folder << '\n';
        out.flush();
        return 0;
    }

    // A controller is named by its serial number or by the bar code on its label.
    const QString serial = ConfigBackups::folderOf(folder, args.first());
    const QList<ConfigBackups::Entry> entries = ConfigBackups::list(folder, serial.isEmpty() ? args.first() : serial);
    if (serial.isEmpty() || entries.isEmpty())
        return CliArgs::fail(1, QStringLiteral("no backups of ") + args.first() + QStringLiteral(" in ") + folder);
    std::unique_ptr<LoadedFile> previous;
    for (const ConfigBackups::Entry& e : entries) {
        std::unique_ptr<LoadedFile> current = loadFile(e.path);
        out << e.when.toString(Qt::ISODate) << '\t' << QFileInfo(e.path).fileName() << '\t';
        if (current->result != 0) {
            out << SettingsFileOps::errorText(current->result) << '\n';
            continue;
        }
        const IdentityReader identity(current->mem);
        out << identity.model() << ' ' << identity.firmware(0x0E).trimmed() << '\t';
        if (!previous) {
            out << "first\n";
        } else {
            const ConfigDiff::Result diff = ConfigDiff::compare(previous->mem, current->mem);
            out << diff.settings.size() << " settings, " << regionCells(diff) << " map cells changed\n";
        }
        previous = std::move(current);
    }
    out.flush();
    return 0;
}

int cmdDiff(const QStringList& arguments)
{
    QStringList args = arguments;
    QString port;
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) || args.size() != (port.isEmpty() ? 2 : 1))
        return CliArgs::fail(2, QStringLiteral("usage: kavelo-cli diff A.set B.set | diff --port P FILE.set"));
    programTexts().load();

    std::unique_ptr<LoadedFile> fileB = loadFile(args.last());
    if (fileB->result != 0) return CliArgs::failCode(2, fileB->result, args.last());

    if (port.isEmpty()) {
        std::unique_ptr<LoadedFile> fileA = loadFile(args.first());
        if (fileA->result != 0) return CliArgs::failCode(2, fileA->result, args.first());
        const ConfigDiff::Result diff = ConfigDiff::compare(fileA->mem, fileB->mem);
        printDiff(diff);
        return diff.equal() ? 0 : 1;
    }

    CliLink cli;
    if (cli.open(port) != 0) return 2;
    CliArgs::err() << "reading the controller on " << port << "..." << Qt::endl;
    TSterownik& l = cli.link;
    if (!cli.identify(~0u) || !cli.runUntil([&] { return l.readsDone(); }) || CliLink::interrupted()) return 2;
    // The controller holds only its own settings: the PC's own (256 and on) are not compared.
    const ConfigDiff::Result diff = ConfigDiff::compare(l.mem, fileB->mem, true);
    printDiff(diff);
    return diff.equal() ? 0 : 1;
}
