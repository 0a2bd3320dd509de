#pragma once

#include "base/Prompt.h"

class QWidget;

// The program's answers to Prompt: Qt's file dialogs, message boxes and input box over `parent`.
class WidgetPrompt : public Prompt {
public:
    explicit WidgetPrompt(QWidget* parent) : parent_(parent) {}

    QString openFileName(const FileDialog& dialog) override;
    QString saveFileName(const FileDialog& dialog) override;
    void message(const QString& caption, const QString& text, Icon icon) override;
    void detailedMessage(const QString& caption, const QString& text, const QString& detail, Icon icon) override;
    bool yesNo(const QString& caption, const QString& text) override;
    QString line(const QString& caption, const QString& label, const QString& initial) override;

    // "Description|pattern|..." pairs as a Qt name filter list.
    static QStringList nameFilters(const QString& filter);

private:
    QString run(const FileDialog& dialog, bool save);
    QWidget* parent_;
};
