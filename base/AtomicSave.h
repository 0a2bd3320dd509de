#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QIODevice>
#include <QtCore/QString>

#include <functional>

// The one rule every save of the program follows (settings files, recordings, CSV exports): the
// bytes go to a temporary file beside the target, which replaces the target only when everything
// was written; a target that exists but is not a regular file (a device node, a FIFO, a socket, a
// folder) is refused and left as it was. Callers turn a false result into their own error code.
namespace AtomicSave {

// True when `path` may be saved to: it does not exist yet, or it is a regular file (or a link to
// one).
bool isSaveTarget(const QString& path);

// Saves `bytes` to `path`; false on any failure, the target then unchanged.
bool save(const QString& path, const QByteArray& bytes);

// Saves what `write` puts into the temporary file (for large files written piece by piece);
// `write` returns false to give up. False on any failure, the target then unchanged.
bool save(const QString& path, const std::function<bool(QIODevice& out)>& write);

}  // namespace AtomicSave
