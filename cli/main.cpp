// kavelo-cli: scripted access to the controller link, the settings files and the OBD reader.
#include <QtCore/QCoreApplication>
#include <QtCore/QTextStream>

#include "base/TextTable.h"
#include "cli/CliArgs.h"
#include "cli/Commands.h"

namespace {

const CliCommand kCommands[] = {
    {"ports", "ports", cmdPorts},
    {"text", "text [--lang en|pl|ru|es] ID...", cmdText},
    {"info", "info --port P [--lang en|pl|ru|es]", cmdInfo},
    {"live", "live --port P [--frames N] [--lang en|pl|ru|es]", cmdLive},
    {"errors", "errors --port P [--lang en|pl|ru|es]", cmdErrors},
    {"clear-errors", "clear-errors --port P [--lang en|pl|ru|es]", cmdClearErrors},
    {"calibrate", "calibrate --port P [--lang en|pl|ru|es]", cmdCalibrate},
    {"firmware", "firmware --port P FILE.img", cmdFirmware},
    {"obd", "obd --elm-port P|HOST:PORT status|pids|codes|clear [--select 0C,0D,...] [--cycles N] [--lang en|pl|ru|es]",
     cmdObd},
    {"show-settings", "show-settings FILE.set [--lang en|pl|ru|es]", cmdShowSettings},
    {"read-settings", "read-settings --port P FILE.set", cmdReadSettings},
    {"write-settings", "write-settings --port P FILE.set", cmdWriteSettings},
    {"get", "get --port P INDEX [--lang en|pl|ru|es]", cmdGet},
    {"set", "set --port P INDEX VALUE|--raw BYTE [--lang en|pl|ru|es]", cmdSet},
    {"record", "record --port P FILE.osc [--seconds N]", cmdRecord},
    {"osc-info", "osc-info FILE.osc", cmdOscInfo},
    {"osc2csv", "osc2csv FILE.osc [OUT.csv] [--lang en|pl|ru|es]", cmdOsc2Csv},
    {"backups", "backups [SERIAL|BAR-CODE] [--folder DIR]", cmdBackups},
    {"diff", "diff A.set B.set | diff --port P FILE.set [--lang en|pl|ru|es]", cmdDiff},
    {"tune", "tune --port P [--elm-port E] [--from FILE.osc] [--apply] [--lang en|pl|ru|es]", cmdTune},
};

void printUsage(QTextStream& s)
{
    s << "usage: kavelo-cli COMMAND [ARGS]\n";
    for (const CliCommand& c : kCommands) s << "  kavelo-cli " << c.usage << "\n";
    s << "kavelo-cli COMMAND --help shows one command; kavelo-cli --version shows the version.\n";
    s.flush();
}

int usage()
{
    printUsage(CliArgs::err());
    return 2;
}

bool isHelp(const QString& a)
{
    return a == QLatin1String("--help") || a == QLatin1String("-h") || a == QLatin1String("help");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Everything the command line prints is English unless a command's --lang says otherwise.
    programLanguage() = TextTable::English;
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return usage();
    const QString name = args.takeFirst();
    if (isHelp(name)) {
        QTextStream out(stdout);
        printUsage(out);
        return 0;
    }
    if (name == QLatin1String("--version") || name == QLatin1String("-v")) {
        QTextStream(stdout) << "kavelo-cli " << KAVELO_VERSION << Qt::endl;
        return 0;
    }
    for (const CliCommand& c : kCommands)
        if (name == QLatin1String(c.name)) {
            if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))) {
                QTextStream(stdout) << "usage: kavelo-cli " << c.usage << Qt::endl;
                return 0;
            }
            return c.run(args);
        }
    return usage();
}
