#pragma once

#include <QtCore/QSize>
#include <QtCore/QString>

class QTextStream;

// A picture of one chart view drawn off-screen from a settings file, with the same widget code as
// the window (`kavelo --render`).
namespace ChartRender {

struct Options {
    int view = 0;
    QString settings;  // settings file to show
    QString out;       // PNG to write
    QSize size{1024, 600};
    int theme = 0;     // 0..5
    int language = 0;  // 0 English, 1 Polish, 2 Russian, 3 Spanish
};

// Exit codes of the command.
enum Exit { Ok = 0, Refused = 1, BadArguments = 2 };

// Reads the options from the command line's values; a message for `err` and BadArguments when one
// is wrong. Empty strings are options not given.
Exit parse(const QString& view, const QString& settings, const QString& out, const QString& size, const QString& theme,
           const QString& language, Options& options, QString& error);

// Draws the view and writes the PNG (an existing file is replaced only by a complete picture).
// Ok; Refused with "Error code N" on `err` when the settings file is refused, or a message when the
// picture cannot be written. Needs a QApplication (the offscreen platform will do).
Exit run(const Options& options, QTextStream& err);

}  // namespace ChartRender
