// The KAVELO workshop program.
#include <QtCore/QCommandLineParser>
#include <QtCore/QTextStream>
#include <QtWidgets/QApplication>
#include <QtWidgets/QStyleFactory>

#include <cstring>

#include "charts/ChartRender.h"
#include "link/PortAddress.h"
#include "link/PortNames.h"
#include "shell/ScreenTour.h"
#include "shell/Unitmain.h"

int main(int argc, char** argv)
{
    // A picture of a chart view needs no display: draw it off-screen wherever the program runs.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--render") == 0 || std::strncmp(argv[i], "--render=", 9) == 0)
            qputenv("QT_QPA_PLATFORM", "offscreen");
    // Neither does the help or the version text, so that both answer on a machine without a desktop.
    // Nothing but the text is printed then: the platform's start-up notes (a missing runtime folder on a
    // machine without a desktop session) would come before the help and read as errors.
    for (int i = 1; i < argc; ++i)
        for (const char* o : {"--help", "-h", "-?", "--help-all", "--version", "-v"})
            if (std::strcmp(argv[i], o) == 0) {
                qputenv("QT_QPA_PLATFORM", "offscreen");
                qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
            }
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ZorUDU"));
    QCoreApplication::setApplicationName(QStringLiteral("Kavelo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KAVELO_VERSION));
    // One look on every platform, so that the themes' colours apply as designed.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("KAVELO workshop program for gas-injection controllers and OBD-II readers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Controller port (device path or number)."),
                                  QStringLiteral("DEVICE"));
    const QCommandLineOption elmPort(QStringLiteral("elm-port"),
                                     QStringLiteral("OBD adapter port (device path or number, or a Wi-Fi "
                                                    "adapter's HOST:PORT)."),
                                     QStringLiteral("DEVICE"));
    parser.addOption(port);
    parser.addOption(elmPort);
    const QCommandLineOption render(QStringLiteral("render"),
                                    QStringLiteral("Draw chart view VIEW (-1, 0..7) off-screen and exit."),
                                    QStringLiteral("VIEW"));
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("Settings file to draw."),
                                      QStringLiteral("FILE.set"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Picture to write."),
                                 QStringLiteral("FILE.png"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Picture size (default 1024x600)."),
                                  QStringLiteral("WxH"));
    const QCommandLineOption theme(QStringLiteral("theme"), QStringLiteral("Colour theme 0..5 (default 0)."),
                                   QStringLiteral("N"));
    const QCommandLineOption lang(QStringLiteral("lang"), QStringLiteral("Language: en, pl, ru or es (default en)."),
                                  QStringLiteral("LANG"));
    const QCommandLineOption tour(QStringLiteral("tour"),
                                  QStringLiteral("Take pictures of the oscilloscope's layouts, the menus and the "
                                                 "dialogs into FOLDER once the controller is read, then exit "
                                                 "(scripts/screens.sh)."),
                                  QStringLiteral("FOLDER"));
    for (const QCommandLineOption* o : {&render, &settings, &out, &size, &theme, &lang, &tour}) parser.addOption(*o);
    // "-1" is a view number, not an option.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(app.arguments())) {
        QTextStream(stderr) << parser.errorText() << Qt::endl;
        return ChartRender::BadArguments;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) {
        QTextStream(stdout) << "kavelo " << KAVELO_VERSION << Qt::endl;
        return 0;
    }
    if (parser.isSet(render)) {
        ChartRender::Options options;
        QString error;
        QTextStream err(stderr);
        if (ChartRender::parse(parser.value(render), parser.value(settings), parser.value(out), parser.value(size),
                               parser.value(theme), parser.value(lang), options, error) != ChartRender::Ok) {
            err << error << Qt::endl;
            return ChartRender::BadArguments;
        }
        return ChartRender::run(options, err);
    }

    TForm1 form;
    if (parser.isSet(port)) form.portOverride = PortNames::numberForDevice(parser.value(port));
    if (parser.isSet(elmPort)) {
        // A Wi-Fi adapter's HOST:PORT, or a device.
        const QString value = parser.value(elmPort);
        if (PortAddress::isAddress(value)) form.elmAddressOverride = value.trimmed();
        else form.elmPortOverride = PortNames::numberForDevice(value);
    }
    form.FormCreate();
    form.show();
    form.FormShow();
    // The picture tour starts once the first read has had its time.
    if (parser.isSet(tour)) new ScreenTour(form, parser.value(tour), 8000);
    return app.exec();
}
