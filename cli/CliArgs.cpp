#include "cli/CliArgs.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>

#include <cstdio>

#include "base/ErrorHelp.h"
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
    // English unless asked otherwise: the command line is the program's own.
    QString lang = QStringLiteral("en");
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

int failCode(int exitCode, int errorCode, const QString& where)
{
    fail(exitCode, (where.isEmpty() ? QString() : where + QStringLiteral(": ")) + ErrorHelp::boxText(errorCode));
    const QString explanation = ErrorHelp::explanation(errorCode);
    if (!explanation.isEmpty()) err() << "kavelo-cli: " << explanation << Qt::endl;
    return exitCode;
}

QString outputProblem(const QString& path)
{
    const QFileInfo file(path);
    if (path.isEmpty()) return QStringLiteral("no file name given");
    if (file.isDir()) return QStringLiteral("it is a folder; give a file name in it");
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder.filePath()));
    if (!folder.isWritable())
        return QStringLiteral("no permission to write in %1").arg(QDir::toNativeSeparators(folder.filePath()));
    if (file.exists() && !file.isFile()) return QStringLiteral("it is not a regular file");
    if (file.exists() && !file.isWritable()) return QStringLiteral("the file is read-only");
    return {};
}

int refuseOutput(const QString& path, int errorCode)
{
    const QString problem = outputProblem(path);
    if (problem.isEmpty()) return 0;
    fail(1, QStringLiteral("cannot write %1: %2").arg(path, problem));
    return failCode(1, errorCode);
}

}  // namespace CliArgs
