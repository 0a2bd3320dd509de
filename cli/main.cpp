// kavelo-cli: scripted access to the controller link, the settings files and the OBD reader.
#include <QtCore/QCoreApplication>

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
    {"obd", "obd --elm-port P status|pids|codes|clear [--select 0C,0D,...] [--cycles N] [--lang pl]", cmdObd},
    {"show-settings", "show-settings FILE.set [--lang en|pl|ru|es]", cmdShowSettings},
    {"read-settings", "read-settings --port P FILE.set", cmdReadSettings},
    {"write-settings", "write-settings --port P FILE.set", cmdWriteSettings},
    {"get", "get --port P INDEX [--lang en|pl|ru|es]", cmdGet},
    {"set", "set --port P INDEX RAW [--lang en|pl|ru|es]", cmdSet},
    {"record", "record --port P FILE.osc [--seconds N]", cmdRecord},
    {"osc-info", "osc-info FILE.osc", cmdOscInfo},
    {"osc2csv", "osc2csv FILE.osc [OUT.csv] [--lang en|pl|ru|es]", cmdOsc2Csv},
    {"backups", "backups [SERIAL] [--folder DIR]", cmdBackups},
    {"diff", "diff A.set B.set | diff --port P FILE.set [--lang en|pl|ru|es]", cmdDiff},
};

int usage()
{
    QTextStream& e = CliArgs::err();
    e << "usage: kavelo-cli COMMAND [ARGS]\n";
    for (const CliCommand& c : kCommands) e << "  kavelo-cli " << c.usage << "\n";
    e.flush();
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return usage();
    const QString name = args.takeFirst();
    for (const CliCommand& c : kCommands)
        if (name == QLatin1String(c.name)) return c.run(args);
    return usage();
}
