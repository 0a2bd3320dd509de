#include "link/ConfigBackups.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QRegularExpression>

#include <algorithm>
#include <cstring>

#include "base/OwnTexts.h"
#include "link/IdentityReader.h"
#include "link/LinkEvents.h"
#include "link/SettingsFile.h"
#include "link/Tsterownik.h"

namespace ConfigBackups {

namespace {

constexpr char kStampFormat[] = "yyyy-MM-dd_HH-mm-ss";
// Identity block at file offset 128; its bytes 70..77 are the running-time counters.
constexpr int kRunningTimesFrom = 128 + 70;
constexpr int kRunningTimesTo = 128 + 77;

QDateTime stampOf(const QString& fileName)
{
    static const QRegularExpression kName(
        QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(-\\d+)?\\.set$"));
    const QRegularExpressionMatch m = kName.match(fileName);
    if (!m.hasMatch()) return {};
    return QDateTime::fromString(m.captured(1), QString::fromLatin1(kStampFormat));
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.read(SettingsFile::kSize + 1);
}

}  // namespace

QString rootFolder(const QString& documentsFolder)
{
    return documentsFolder + QStringLiteral("/ORVA/Kavelo II/Settings/Backups");
}

QString serialOf(const MemoryImage& mem) { return IdentityReader(mem).serialText(); }

QString barCodeOf(const MemoryImage& mem) { return IdentityReader(mem).barCode().trimmed(); }

QString barCodeIn(const QString& root, const QString& serial)
{
    const QList<Entry> entries = list(root, serial);
    if (entries.isEmpty()) return {};
    MemoryImage mem;
    if (SettingsFile::load(entries.last().path, mem) != SettingsFile::Ok) return {};
    return barCodeOf(mem);
}

QString controllerName(const QString& root, const QString& serial)
{
    const QString code = barCodeIn(root, serial);
    return code.isEmpty() ? serial : TextById(OwnText::BackupsOf).arg(code, serial);
}

QString folderOf(const QString& root, const QString& serialOrBarCode)
{
    const QString wanted = serialOrBarCode.trimmed();
    if (wanted.isEmpty()) return {};
    const QStringList all = controllers(root);
    for (const QString& serial : all)
        if (serial.compare(wanted, Qt::CaseInsensitive) == 0) return serial;
    for (const QString& serial : all)
        if (barCodeIn(root, serial).compare(wanted, Qt::CaseInsensitive) == 0) return serial;
    return {};
}

QStringList controllers(const QString& root)
{
    QStringList out;
    for (const QString& name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (!list(root, name).isEmpty()) out << name;
    return out;
}

QList<Entry> list(const QString& root, const QString& serial)
{
    QList<Entry> out;
    const QDir dir(root + QLatin1Char('/') + serial);
    for (const QString& name : dir.entryList({QStringLiteral("*.set")}, QDir::Files, QDir::Name)) {
        const QDateTime when = stampOf(name);
        if (when.isValid()) out.append({dir.filePath(name), when});
    }
    std::stable_sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.when < b.when; });
    return out;
}

bool sameConfiguration(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && (i < kRunningTimesFrom || i > kRunningTimesTo)) return false;
    return true;
}

SaveResult save(const QString& root, const MemoryImage& mem, const QDateTime& now)
{
    const QString serial = serialOf(mem);
    if (serial.isEmpty()) return {NoSerial, {}};
    const QString folder = root + QLatin1Char('/') + serial;
    if (!QDir().mkpath(folder)) return {Failed, {}};

    const QList<Entry> existing = list(root, serial);
    const QByteArray bytes = SettingsFile::encode(mem);
    if (!existing.isEmpty() && sameConfiguration(readFile(existing.last().path), bytes))
        return {Unchanged, existing.last().path};

    const QString stamp = now.toString(QString::fromLatin1(kStampFormat));
    QString path = folder + QLatin1Char('/') + stamp + QStringLiteral(".set");
    for (int n = 2; QFile::exists(path); ++n)
        path = folder + QLatin1Char('/') + stamp + QStringLiteral("-%1.set").arg(n);
    if (SettingsFile::save(path, mem) != SettingsFile::Ok) return {Failed, {}};

    QList<Entry> all = list(root, serial);
    for (qsizetype i = 0; i + kKeep < all.size(); ++i) QFile::remove(all[i].path);
    return {Written, path};
}

}  // namespace ConfigBackups

void AutoBackup::LinkEvent(int kind, int code)
{
    if (kind == kEventLinkStarted || kind == kEventFileLoaded) {
        identified_ = complete_ = false;
        return;
    }
    if (kind != kEventFrameReceived) return;
    if (code == 0x81) {
        // A new identification: the image holds this controller's data only after its reads.
        identified_ = IdentityReader(link_.mem).inApplication();
        complete_ = false;
        return;
    }
    // A region whose reads never agreed holds the PC's old copy, not the controller's: no backup.
    if (!identified_ || complete_ || link_.readMask != 0 || link_.linkMask != 0 || link_.unreadableMask() != 0) return;
    complete_ = true;
    const QString serial = ConfigBackups::serialOf(link_.mem);
    if (backedUp_.contains(serial)) return;
    backedUp_ << serial;
    write();
}

ConfigBackups::SaveResult AutoBackup::backupNow()
{
    if (!complete_) return {ConfigBackups::Failed, {}};
    return write();
}

ConfigBackups::SaveResult AutoBackup::write()
{
    if (!enabled || root.isEmpty()) return {ConfigBackups::Failed, {}};
    ConfigBackups::SaveResult r = ConfigBackups::save(root, link_.mem, QDateTime::currentDateTime());
    if (r.outcome == ConfigBackups::Written && onSaved) onSaved(r.path);
    return r;
}
