#include "tune/MultiplierChangeFile.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>

#include "base/AtomicSave.h"

namespace MultiplierChangeFile {

namespace {

// A record is a few kilobytes: anything much larger is not one and is not read whole.
constexpr qint64 kMaxSize = 16 * 1024;

}  // namespace

QString rootFolder(const QString& documentsFolder)
{
    return documentsFolder.isEmpty() ? QString() : documentsFolder + QStringLiteral("/ORVA/Kavelo II/Tune");
}

QString pathOf(const QString& root, const QString& serial)
{
    return root + QLatin1Char('/') + serial + QStringLiteral(".mult");
}

MultiplierChange::Stored load(const QString& root, const QString& serial, MultiplierChange::Record& record)
{
    const QString path = pathOf(root, serial);
    if (!QFileInfo::exists(path)) return MultiplierChange::Stored::None;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return MultiplierChange::Stored::Unreadable;
    const QByteArray bytes = file.read(kMaxSize + 1);
    return MultiplierChange::decode(bytes, record) ? MultiplierChange::Stored::Ok
                                                   : MultiplierChange::Stored::Unreadable;
}

bool save(const QString& root, const QString& serial, const MultiplierChange::Record& record)
{
    if (root.isEmpty() || serial.isEmpty() || !QDir().mkpath(root)) return false;
    return AtomicSave::save(pathOf(root, serial), MultiplierChange::encode(record));
}

}  // namespace MultiplierChangeFile
