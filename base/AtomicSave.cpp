#include "base/AtomicSave.h"

#include <QtCore/QFileInfo>
#include <QtCore/QSaveFile>

namespace AtomicSave {

bool isSaveTarget(const QString& path)
{
    if (path.isEmpty()) return false;
    QFileInfo info(path);
    info.setCaching(false);
    // A dangling link would be replaced by a regular file: refused like any other odd target.
    if (info.isSymLink() && !info.exists()) return false;
    return !info.exists() || info.isFile();
}

bool save(const QString& path, const std::function<bool(QIODevice& out)>& write)
{
    if (!isSaveTarget(path)) return false;
    QSaveFile file(path);
    // Unbuffered, so that a write that runs out of room is seen here and not lost in a late flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    if (!write(file) || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    // The target may have been swapped for something else while the file was written.
    if (!isSaveTarget(path)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool save(const QString& path, const QByteArray& bytes)
{
    return save(path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); });
}

}  // namespace AtomicSave
