#pragma once

#include <QtCore/QString>

#include <functional>

#include "link/Tsterownik.h"
#include "session/WorkshopSession.h"

// A workshop session for one command of kavelo-cli: opens the controller's port, runs the link's
// timer in an event loop until the command is done, and gives up when the controller stops answering.
class CliLink {
public:
    // Opens the device (path or port number): 0, or the exit code with the error already printed.
    int open(const QString& device);

    // Runs the link until `done` holds. False, with a one-line error naming the device, when no
    // reply came for 5 seconds, naming the regions whose reads never agreed, or the ones the
    // controller did not keep when written (the read-back differed every time). `interrupted` is
    // asked as well: Ctrl+C ends the wait early.
    bool runUntil(const std::function<bool()>& done);

    // Identifies the controller and narrows the first reads to `keepReads` (the history is always
    // read); false on no reply or a controller that runs its bootloader.
    bool identify(uint32_t keepReads);

    // Lets queued writes, history entries included, reach the controller and read back the same
    // before the command ends.
    bool flushWrites();

    // Ctrl+C was pressed since the link was opened (or since clearInterrupted).
    static bool interrupted();
    // For the clean-up after a Ctrl+C: a second Ctrl+C then ends the clean-up's own wait.
    static void clearInterrupted();

    WorkshopSession session;
    TSterownik& link = session.link();
    QString device;
    std::function<void(int kind, int code, int value, int length)> onEvent;
};
