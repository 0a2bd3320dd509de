// kavelo-cli info: who the controller is, its running times and its change history.
#include "cli/CliArgs.h"
#include "cli/CliLink.h"
#include "cli/Commands.h"

int cmdInfo(const QStringList& arguments)
{
    QStringList args = arguments;
    QString port;
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) || port.isEmpty() || !args.isEmpty())
        return CliArgs::fail(2, QStringLiteral("usage: kavelo-cli info --port DEVICE [--lang LANG]"));

    CliLink cli;
    if (const int rc = cli.open(port)) return rc;
    // The settings give the service interval; the history is shown.
    if (!cli.identify(0x1 | 0x80)) return 1;
    TSterownik& l = cli.link;
    if (!cli.runUntil([&] { return l.readsDone(0x81); })) return 1;
    if (CliLink::interrupted()) return 1;

    QTextStream& out = CliArgs::out();
    out << "Model:\t" << l.StrWersjaSterownika() << '\n'
        << "Bar code:\t" << l.StrKodKreskowy() << '\n'
        << "Serial number:\t" << l.StrWersjaCyframi(0x40).mid(3).trimmed() << '\n'
        << "Production date:\t" << l.StrDataProdukcji() << '\n'
        << "Version:\t" << l.StrWersjaCyframi(0x0E).trimmed() << '\n'
        << "Injectors:\t" << l.StrIleWtryskiwaczy() << '\n'
        << "Time on petrol:\t" << l.StrCzasNaBenzynie() << '\n'
        << "Time on gas:\t" << l.StrCzasNaGazie() << '\n'
        << "Time to service:\t" << l.StrCzasPrzegladu() << '\n'
        << "This PC:\t" << l.StrIdentWlasny() << '\n'
        << "History:\n"
        << "#\tdate\tfirmware\tfactory\terrors cleared\tconfiguration\tPC\n";
    for (int entry = 0; entry < 32; ++entry) {
        if (l.StrHistoria(0, entry).isEmpty()) continue;
        out << entry + 1;
        for (int column = 0; column <= 5; ++column) out << '\t' << l.StrHistoria(column, entry);
        out << '\n';
    }
    out.flush();
    return 0;
}
