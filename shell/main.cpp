// The KAVELO workshop program.
#include <QtCore/QCommandLineParser>
#include <QtWidgets/QApplication>
#include <QtWidgets/QStyleFactory>

#include "link/PortNames.h"
#include "shell/Unitmain.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ZorUDU"));
    QCoreApplication::setApplicationName(QStringLiteral("Kavelo"));
    // One look on every platform, so that the themes' colours apply as designed.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Controller port (device path or number)."),
                                  QStringLiteral("DEVICE"));
    const QCommandLineOption elmPort(QStringLiteral("elm-port"), QStringLiteral("OBD adapter port (device path or number)."),
                                     QStringLiteral("DEVICE"));
    parser.addOption(port);
    parser.addOption(elmPort);
    parser.process(app);

    TForm1 form;
    if (parser.isSet(port)) form.portOverride = PortNames::numberForDevice(parser.value(port));
    if (parser.isSet(elmPort)) form.elmPortOverride = PortNames::numberForDevice(parser.value(elmPort));
    form.FormCreate();
    form.show();
    form.FormShow();
    return app.exec();
}
