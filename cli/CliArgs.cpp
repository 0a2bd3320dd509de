#include "cli/CliArgs.h"

#include <cstdio>

#include "base/TextTable.h"
#include "link/PortNames.h"

namespace CliArgs {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

bool takeOption(QStringList& args, const QString& name, QString& value)
{
    const qsizetype i = args.indexOf(name);
    if (i < 0) return true;
    if (i + 1 >= args.size()) return false;
    value = args[i + 1];
    args.remove(i, 2);
    return true;
}

bool takeFlag(QStringList& args, const QString& name) { return args.removeAll(name) > 0; }

int portNumber(const QString& pathOrNumber) { return PortNames::numberForDevice(pathOrNumber); }

bool takeLanguage(QStringList& args)
{
    QString lang = QStringLiteral("pl");
    if (!takeOption(args, QStringLiteral("--lang"), lang)) return false;
    static const QStringList kCodes = {QStringLiteral("en"), QStringLiteral("pl"), QStringLiteral("ru"),
                                       QStringLiteral("es")};
    const qsizetype index = kCodes.indexOf(lang.toLower());
    if (index < 0) return false;
    programLanguage() = static_cast<int>(index);
    programTexts().load();
    return true;
}

int fail(int code, const QString& message)
{
    out().flush();
    err() << "kavelo-cli: " << message << Qt::endl;
    return code;
}

}  // namespace CliArgs
