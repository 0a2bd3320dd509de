#pragma once

// One kavelo-cli command run as a program against the controller simulator served on a
// pseudo-terminal by the test's own event loop (the simulator answers while the command runs).
#include <QtCore/QEventLoop>
#include <QtCore/QProcess>
#include <QtCore/QStringList>
#include <QtCore/QTimer>

#include "sim/pty/PtyPort.h"

struct CliRun {
    int exitCode = -1;  // -1: it did not start, crashed or ran past the time limit
    QString out;
    QString err;
};

// Runs `kavelo-cli ARGS --port DEVICE` (KAVELO_CLI, the path the test target is given), at most
// `limitMs` milliseconds.
inline CliRun runCli(PtyPort& pty, QStringList args, int limitMs = 120000)
{
    args << QStringLiteral("--port") << pty.devicePath();
    QProcess cli;
    cli.start(QStringLiteral(KAVELO_CLI), args);
    CliRun r;
    if (!cli.waitForStarted()) return r;
    QEventLoop loop;
    QObject::connect(&cli, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    if (cli.state() != QProcess::NotRunning) loop.exec();
    if (cli.state() != QProcess::NotRunning) {
        cli.kill();
        cli.waitForFinished();
        return r;
    }
    r.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    r.out = QString::fromUtf8(cli.readAllStandardOutput());
    r.err = QString::fromUtf8(cli.readAllStandardError());
    return r;
}
