#include "link/SettingsFileOps.h"

#include <QtCore/QDate>
#include <QtCore/QDir>

#include "base/ErrorHelp.h"
#include "base/TextTable.h"
#include "link/ConfigBackups.h"
#include "link/LinkEvents.h"
#include "link/SettingsFile.h"
#include "link/Tsterownik.h"

namespace {
constexpr int kTextReadTitle = 1103;
constexpr int kTextSaveTitle = 1104;
constexpr int kTextAllFiles = 1110;
constexpr int kTextSettingsFiles = 1111;
}  // namespace

namespace SettingsFileOps {

Prompt::FileDialog documentsDialog(const TSterownik& link, int titleId, const QString& subfolder, int filesTextId,
                                   const QString& extension)
{
    Prompt::FileDialog d;
    d.title = TextById(titleId);
    if (!link.documentsFolder.isEmpty() && QDir(link.documentsFolder).exists())
        d.folder = link.documentsFolder + QStringLiteral("/ORVA/Kavelo II/") + subfolder;
    const QString pattern = QStringLiteral("*.") + extension;
    d.filter = TextById(filesTextId) + QStringLiteral(" (") + pattern + QStringLiteral(")|") + pattern +
               QLatin1Char('|') + TextById(kTextAllFiles) + QStringLiteral(" (*.*)|*.*");
    d.filterIndex = 1;
    d.defaultExtension = extension;
    return d;
}

Prompt::FileDialog dialog(const TSterownik& link, bool save)
{
    return documentsDialog(link, save ? kTextSaveTitle : kTextReadTitle, QStringLiteral("Settings"), kTextSettingsFiles,
                           QStringLiteral("set"));
}

QString proposedFileName(const MemoryImage& mem, const QDate& date)
{
    QString code = ConfigBackups::barCodeOf(mem);
    // Only what every file system takes; a bar code is letters, digits and dashes anyway.
    for (QChar& c : code)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('-');
    if (code.isEmpty()) code = QStringLiteral("KAVELO");
    return code + QLatin1Char('_') + date.toString(Qt::ISODate) + QStringLiteral(".set");
}

QString errorText(int code) { return ErrorHelp::boxText(code); }

}  // namespace SettingsFileOps

int ZapiszUstawienia(TSterownik& link, const QString& path) { return SettingsFile::save(path, link.mem); }

int CzytajUstawienia(TSterownik& link, const QString& path)
{
    const int result = SettingsFile::load(path, link.mem);
    if (result != SettingsFile::Ok) return result;

    // The channel table follows the loaded settings and identity.
    link.ListaRpmLamMafAfr();
    link.ListaParamOdPlytki();

    if (link.PortConnected()) {
        link.DodajAdaptacje();
        // The reads are replaced: reads pending from before the load are dropped (except the
        // history's, which later history changes wait for), and the factory-settings reply after
        // the writes asks for the read-back. Writes already queued for regions the file does not
        // carry (history, delay, enrichment) stay queued: they are the user's changes.
        link.writeMask |= SettingsFileOps::kLoadMask;
        link.replaceReadMask(SettingsFileOps::kLoadMask);
    } else {
        link.loadedFileName = path;
        if (link.OnZdarzenie) link.OnZdarzenie(kEventFileLoaded, 0, 0, 0);
    }
    return result;
}

QString ZapiszUstawienia(TSterownik& link, Prompt& prompt)
{
    Prompt::FileDialog d = SettingsFileOps::dialog(link, true);
    d.fileName = SettingsFileOps::proposedFileName(link.mem, QDate::currentDate());
    const QString path = prompt.saveFileName(d);
    if (path.isEmpty()) return {};
    const int result = ZapiszUstawienia(link, path);
    if (result != 0) {
        prompt.errorCode(result);
        return {};
    }
    // A file being worked on without a controller is now the file saved: the caption names it.
    if (!link.PortConnected() && !link.loadedFileName.isEmpty() && link.loadedFileName != path) {
        link.loadedFileName = path;
        if (link.OnZdarzenie) link.OnZdarzenie(kEventFileLoaded, 0, 0, 0);
    }
    return path;
}

void CzytajUstawienia(TSterownik& link, Prompt& prompt)
{
    const QString path = prompt.openFileName(SettingsFileOps::dialog(link, false));
    if (path.isEmpty()) return;
    const int result = CzytajUstawienia(link, path);
    if (result != 0) prompt.errorCode(result);
}
