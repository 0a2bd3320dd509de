#include "base/TextTable.h"
#include "cli/CliArgs.h"
#include "cli/Commands.h"

// Prints the text of each ID in the chosen language (Polish by default), one per line.
int cmdText(const QStringList& arguments)
{
    QStringList args = arguments;
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    if (args.isEmpty()) return CliArgs::fail(2, QStringLiteral("text needs at least one ID"));
    programTexts().load();
    QStringList lines;
    for (const QString& a : args) {
        bool ok = false;
        const int id = a.toInt(&ok);
        if (!ok) return CliArgs::fail(2, QStringLiteral("not a text ID: ") + a);
        lines << TextById(id);
    }
    for (const QString& l : lines) CliArgs::out() << l << '\n';
    CliArgs::out().flush();
    return 0;
}
