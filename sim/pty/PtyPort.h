#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QObject>
#include <QtCore/QString>

class QSocketNotifier;

// The far end of a simulated serial line: the master side of a pseudo-terminal whose device
// (/dev/pts/N) the program under test opens as its serial port. The slave side is held open in raw
// mode, so the line survives the program closing and reopening it.
class PtyPort : public QObject {
    Q_OBJECT
public:
    explicit PtyPort(QObject* parent = nullptr);
    ~PtyPort() override;

    bool open();
    void close();
    bool isOpen() const { return master_ >= 0; }
    QString devicePath() const { return device_; }

    // Bytes the program has written, collected without waiting.
    QByteArray readAll();
    // Sends bytes towards the program.
    void write(const QByteArray& bytes);

    // With `watch` on, received bytes are announced through `received` from the event loop;
    // tests that drive time themselves call readAll() instead.
    void setWatching(bool watch);

Q_SIGNALS:
    void received();

private:
    int master_ = -1;
    int slave_ = -1;
    QString device_;
    QSocketNotifier* notifier_ = nullptr;
};
