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

// "--lang en|pl|ru|es": sets the program's language; false for an unknown language.
bool takeLanguage(QStringList& args);

// One-line error on stderr; returns `code` for `return fail(...)`.
int fail(int code, const QString& message);

}  // namespace CliArgs
