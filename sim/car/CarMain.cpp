// kavelo-sim car: one car behind the controller's plug and the ELM327 adapter's.
#include <QtCore/QCoreApplication>
#include <QtCore/QTextStream>

#include <memory>

#include "sim/SimMain.h"
#include "sim/car/CarModel.h"
#include "sim/controller/ControllerSim.h"
#include "sim/elm/ElmSimulator.h"

namespace {

// The adapter's options, which "kavelo-sim car" hands to the adapter; the rest are the controller's.
const char* const kElmValued[] = {"--protocol", "--ecu",          "--stored",  "--pending", "--permanent",
                                  "--split",    "--silent-after", "--voltage", "--tcp"};
const char* const kElmFlags[] = {"--no-car", "--auto-search"};

QStringList takeElmOptions(QStringList& args)
{
    QStringList elm;
    for (qsizetype i = 0; i < args.size();) {
        bool valued = false, flag = false;
        for (const char* name : kElmValued) valued = valued || args[i] == QLatin1String(name);
        for (const char* name : kElmFlags) flag = flag || args[i] == QLatin1String(name);
        const qsizetype n = valued ? std::min<qsizetype>(2, args.size() - i) : flag ? 1 : 0;
        if (n == 0) {
            ++i;
            continue;
        }
        elm << args.mid(i, n);
        args.remove(i, n);
    }
    // The wire's speed is one choice for both lines.
    if (args.contains(QStringLiteral("--no-wire-timing"))) elm << QStringLiteral("--no-wire-timing");
    return elm;
}

}  // namespace

int runCarSimulator(QStringList args)
{
    QTextStream err(stderr);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        QTextStream(stdout)
            << "usage: kavelo-sim car [--multiplier-error T:P[,T:P...]] [--time-scale K] [controller options]\n"
               "                      [adapter options]\n"
               "  One car behind the controller's plug and the ELM327 adapter. Prints the controller's\n"
               "  device, then the adapter's device (or its address with --tcp HOST:PORT), and serves both\n"
               "  until it is stopped with Ctrl+C.\n"
               "  --multiplier-error T:P[,T:P...]  the installation's error: P percent at injection time T ms,\n"
               "                        linear between the points, flat beyond (default none)\n"
               "  --time-scale K        each live request advances the car K steps of 0.1 s (default 1)\n"
               "  The controller's options: kavelo-sim controller --help; the adapter's: kavelo-sim elm --help.\n";
        return 0;
    }
    std::vector<CarModel::ErrorPoint> errors;
    int timeScale = 1;
    QString error;
    if (const qsizetype i = args.indexOf(QStringLiteral("--multiplier-error")); i >= 0) {
        if (i + 1 >= args.size() || !CarModel::parseErrors(args[i + 1], errors, error)) {
            err << "kavelo-sim car: "
                << (error.isEmpty() ? QStringLiteral("--multiplier-error takes T:P[,T:P...]") : error) << Qt::endl;
            return 2;
        }
        args.remove(i, 2);
    }
    if (const qsizetype i = args.indexOf(QStringLiteral("--time-scale")); i >= 0) {
        bool ok = false;
        timeScale = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
        if (!ok || timeScale < 1 || timeScale > 10000) {
            err << "kavelo-sim car: --time-scale takes steps per live request from 1 to 10000" << Qt::endl;
            return 2;
        }
        args.remove(i, 2);
    }
    ElmSimulator elm;
    if (!elm.configure(takeElmOptions(args), error)) {
        err << "kavelo-sim car: " << error << Qt::endl;
        return 2;
    }

    std::unique_ptr<CarModel> car;
    return runControllerSimulator(args, [&](ControllerSim& controller) {
        car = std::make_unique<CarModel>(controller, &elm.car);
        car->setMultiplierError(errors);
        car->setTimeScale(timeScale);
        // The car goes before the controller it drives.
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [&car] { car.reset(); });
        if (!elm.tcp.isEmpty()) {
            if (!elm.listen(elm.tcp, error)) {
                err << "kavelo-sim car: " << error << Qt::endl;
                car.reset();
                return error.startsWith(QLatin1String("--tcp")) ? 2 : 1;
            }
            printServedPort(elm.servedAddress());
        } else if (!elm.open()) {
            err << "kavelo-sim car: cannot create a pseudo-terminal for the adapter" << Qt::endl;
            car.reset();
            return 1;
        } else {
            printServedPort(elm.devicePath());
        }
        elm.serve();
        return 0;
    });
}
