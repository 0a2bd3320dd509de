#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QTextStream>

// Small helpers shared by the kavelo-cli commands.
namespace CliArgs {

QTextStream& out();
QTextStream& err();

// Removes "--name VALUE" from `args`; `value` keeps its default when absent. False when the
// option is present without a value.
bool takeOption(QStringList& args, const QString& name, QString& value);
// Removes "--name" from `args` and tells whether it was there.
bool takeFlag(QStringList& args, const QString& name);

// Port argument (device path or port number) to a port number; 0 when it names no port.
int portNumber(const QString& pathOrNumber);

// "--lang en|pl|ru|es": sets the program's language, English without the option, and loads the
// texts; false for an unknown language.
bool takeLanguage(QStringList& args);

// One-line error on stderr; returns `code` for `return fail(...)`.
int fail(int code, const QString& message);
// A numbered error as the program's error box shows it: "[where: ]Error code N" on stderr, then on
// the next line what it means and what to do, in the command's language. Returns `exitCode`.
int failCode(int exitCode, int errorCode, const QString& where = {});

// Why `path` cannot be written as an output file (a folder, a folder that does not exist or may not be
// written in, a read-only file); empty when it can. Checked before the controller is read, so that a
// wrong path fails at once instead of after the read.
QString outputProblem(const QString& path);
// outputProblem as the command's error: "cannot write PATH: reason", then the error box's code and
// explanation `errorCode`. Returns 1, or 0 when the path can be written.
int refuseOutput(const QString& path, int errorCode);

}  // namespace CliArgs
