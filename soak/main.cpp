// kavelo-soak: the controller link on a faulty line against the simulated controller, for as long
// as asked; prints its figures one per line and exits 1 when a check failed.
#include <QtCore/QCoreApplication>
#include <QtCore/QTextStream>

#include <csignal>

#include "soak/SoakOptions.h"
#include "soak/SoakRun.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // A pseudo-terminal that is hung up must not end this program.
    std::signal(SIGPIPE, SIG_IGN);
    if (app.arguments().contains(QStringLiteral("--help"))) {
        QTextStream(stdout) << SoakOptions::usage();
        return 0;
    }
    SoakOptions options;
    QString error;
    if (!options.parse(app.arguments().mid(1), error)) {
        QTextStream(stderr) << "kavelo-soak: " << error << "\n" << SoakOptions::usage();
        return 2;
    }
    SoakRun run(options);
    QObject::connect(&run, &SoakRun::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (!run.start()) return 2;
    app.exec();
    return run.exitCode();
}
