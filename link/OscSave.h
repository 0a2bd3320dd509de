#pragma once

#include <QtCore/QIODevice>
#include <QtCore/QString>

#include <functional>

// Saving a whole file so that a failure never harms an existing one: the bytes go to a temporary
// file beside the target, which replaces the target only when everything was written. A target
// that exists but is not a regular file (a folder, a device, a pipe) is refused.
namespace OscSave {

// `write` fills the temporary file and returns false on a failed write. True when the target now
// holds exactly what `write` wrote.
bool saveAtomically(const QString& path, const std::function<bool(QIODevice&)>& write);

}  // namespace OscSave
