#pragma once

#include <QtCore/QList>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include "base/ErrorHelp.h"

// Questions from core code to the user: file dialogs, message boxes, yes/no confirmations and a
// line of text.
// The program answers them with Qt's dialogs; tests and the command line with scripted answers.
class Prompt {
public:
    enum class Icon { Information, Warning, Error, Question };

    struct FileDialog {
        QString title;
        QString folder;    // start folder; empty = the dialog's own default
        QString fileName;  // initial file name
        // "Description|pattern|Description|pattern" pairs, as the product writes them.
        QString filter;
        int filterIndex = 1;       // 1-based pair selected at start
        QString defaultExtension;  // appended by the dialog to a name typed without one
    };

    virtual ~Prompt() = default;

    // Chosen path, or an empty text when the user cancelled.
    virtual QString openFileName(const FileDialog& dialog) = 0;
    virtual QString saveFileName(const FileDialog& dialog) = 0;
    // Modal message box.
    virtual void message(const QString& caption, const QString& text, Icon icon) = 0;
    // Modal message box with a second line under its text (the program's boxes show it smaller);
    // where there is no such line, the detail follows the text on a line of its own.
    virtual void detailedMessage(const QString& caption, const QString& text, const QString& detail, Icon icon)
    {
        message(caption, detail.isEmpty() ? text : text + QLatin1Char('\n') + detail, icon);
    }
    // Yes/no box with the exclamation icon; true for Yes.
    virtual bool yesNo(const QString& caption, const QString& text) = 0;
    // One line typed into a box that starts with `initial`; an empty text when the user cancelled.
    // Where nobody can type (the command line), every question counts as cancelled.
    virtual QString line(const QString& /*caption*/, const QString& /*label*/, const QString& /*initial*/)
    {
        return {};
    }

    // The program's error box: caption "KAVELO", error icon.
    void error(const QString& text) { message(QStringLiteral("KAVELO"), text, Icon::Error); }
    // The error box of a numbered error: "Error code N", and under it what it means and what to do.
    void errorCode(int code)
    {
        detailedMessage(QStringLiteral("KAVELO"), ErrorHelp::boxText(code), ErrorHelp::explanation(code), Icon::Error);
    }
    // The program's confirmation: caption "KAVELO".
    bool confirm(const QString& text) { return yesNo(QStringLiteral("KAVELO"), text); }
};

// Answers taken from lists prepared in advance; everything asked and shown is recorded.
class ScriptedPrompt : public Prompt {
public:
    struct Shown {
        QString caption;
        QString text;
        Icon icon;
        QString detail;  // the line under the text, empty for a box without one
    };

    QStringList fileAnswers;   // taken in order by both file dialogs; none left = cancelled
    QList<bool> yesNoAnswers;  // taken in order; none left = No
    QStringList lineAnswers;   // taken in order; none left = cancelled

    QList<FileDialog> dialogs;
    QList<Shown> messages;
    QStringList questions;
    QStringList lineInitials;  // what each line box started with

    QString openFileName(const FileDialog& dialog) override { return nextFile(dialog); }
    QString saveFileName(const FileDialog& dialog) override { return nextFile(dialog); }
    void message(const QString& caption, const QString& text, Icon icon) override
    {
        messages.append({caption, text, icon, {}});
    }
    void detailedMessage(const QString& caption, const QString& text, const QString& detail, Icon icon) override
    {
        messages.append({caption, text, icon, detail});
    }
    bool yesNo(const QString& caption, const QString& text) override
    {
        questions.append(caption + QStringLiteral(": ") + text);
        return yesNoAnswers.isEmpty() ? false : yesNoAnswers.takeFirst();
    }
    QString line(const QString& caption, const QString& label, const QString& initial) override
    {
        questions.append(caption + QStringLiteral(": ") + label);
        lineInitials.append(initial);
        return lineAnswers.isEmpty() ? QString() : lineAnswers.takeFirst();
    }

private:
    QString nextFile(const FileDialog& dialog)
    {
        dialogs.append(dialog);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
};
