#pragma once

#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include <functional>

#include "link/MemoryImage.h"

class TSterownik;

// Automatic backups of controller configurations: settings files (the 4096-byte format, written
// atomically) in one folder per controller, named by its serial number, with the date and time
// in the file name. A backup identical to the controller's newest one is not written again, and
// the newest 50 per controller are kept.
namespace ConfigBackups {

constexpr int kKeep = 50;

// The backup folder below the documents folder: ".../ORVA/Kavelo II/Settings/Backups".
QString rootFolder(const QString& documentsFolder);
// Folder name of a controller: its 13-byte serial number in hexadecimal; empty when the identity
// holds none (all zero).
QString serialOf(const MemoryImage& mem);

struct Entry {
    QString path;
    QDateTime when;
};
// Serial numbers that have backups, sorted.
QStringList controllers(const QString& root);
// One controller's backups, oldest first.
QList<Entry> list(const QString& root, const QString& serial);
// The bar code printed on a controller (identity bytes 6..21, as Device info and kavelo-cli info show
// it); empty when the identity holds none.
QString barCodeOf(const MemoryImage& mem);
// The bar code of the controller whose backups are in folder `serial`, from its newest backup.
QString barCodeIn(const QString& root, const QString& serial);
// How the backups list names the controller of folder `serial`: its bar code and its serial number
// ("KV2204117 (serial number 0A1B...)"), or the serial number alone when its backups hold no bar code.
QString controllerName(const QString& root, const QString& serial);
// The folder name of a controller given by its serial number (the folder's own name, any case) or by
// its bar code; empty when no controller with backups has either.
QString folderOf(const QString& root, const QString& serialOrBarCode);

// True when two settings files hold the same configuration: the running-time counters of the
// identity block (which grow while the engine runs) are not part of it.
bool sameConfiguration(const QByteArray& a, const QByteArray& b);

enum Outcome { Written, Unchanged, NoSerial, Failed };
struct SaveResult {
    Outcome outcome = Failed;
    QString path;  // the file written, or the newest backup when unchanged
};
// Saves `mem` as a backup taken at `now`, then removes all but the newest kKeep.
SaveResult save(const QString& root, const MemoryImage& mem, const QDateTime& now);

}  // namespace ConfigBackups

// Takes the backups of one connected controller: once after its first complete read in this
// session, and on request before a firmware update or factory settings.
class AutoBackup {
public:
    explicit AutoBackup(TSterownik& link) : link_(link) {}

    // Turned off by the user's preference: nothing is saved.
    bool enabled = true;
    // The backup folder; empty: nothing is saved.
    QString root;
    // Reports each backup written (the file's path).
    std::function<void(const QString& path)> onSaved;

    // Feed every link event here (kind, code as OnZdarzenie).
    void LinkEvent(int kind, int code);
    // Saves now when the image holds a complete read of the connected controller (before a
    // firmware update or factory settings). Unchanged when nothing changed since the newest.
    ConfigBackups::SaveResult backupNow();
    // The image holds a complete read of the identified controller.
    bool complete() const { return complete_; }

private:
    ConfigBackups::SaveResult write();

    TSterownik& link_;
    bool identified_ = false;
    bool complete_ = false;
    QStringList backedUp_;  // controllers backed up after their first read in this session
};
