#include "link/OscSave.h"

#include <QtCore/QFileInfo>
#include <QtCore/QSaveFile>

namespace OscSave {

bool saveAtomically(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    if (path.isEmpty()) return false;
    const QFileInfo target(path);
    // A rename over a device or a folder would replace it with a plain file, or fail half-way.
    if (target.exists() && !target.isFile()) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!write(file) || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace OscSave
