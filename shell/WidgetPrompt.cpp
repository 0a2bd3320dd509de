#include "shell/WidgetPrompt.h"

#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QInputDialog>
#include <QtWidgets/QMessageBox>

#include "base/TextTable.h"

namespace {
// The program's own words for the answers: Qt's built-in "Yes"/"No" would stay English in a
// Polish, Russian or Spanish window.
constexpr int kTextYes = 1080;
constexpr int kTextNo = 1081;
}  // namespace

QStringList WidgetPrompt::nameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        // Qt reads the patterns from the parentheses; "*.*" there would skip names without a dot.
        QString pattern = parts[i + 1].trimmed();
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
        QString description = parts[i].trimmed();
        const int open = description.lastIndexOf(QLatin1Char('('));
        if (open >= 0) description = description.left(open).trimmed();
        out << description + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return out;
}

QString WidgetPrompt::run(const FileDialog& d, bool save)
{
    QFileDialog dialog(parent_, d.title, d.folder);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = nameFilters(d.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(std::max(0, d.filterIndex - 1)));
    }
    if (!d.defaultExtension.isEmpty()) dialog.setDefaultSuffix(d.defaultExtension);
    if (!d.fileName.isEmpty()) dialog.selectFile(d.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString WidgetPrompt::openFileName(const FileDialog& dialog) { return run(dialog, false); }
QString WidgetPrompt::saveFileName(const FileDialog& dialog) { return run(dialog, true); }

void WidgetPrompt::message(const QString& caption, const QString& text, Icon icon)
{
    detailedMessage(caption, text, QString(), icon);
}

void WidgetPrompt::detailedMessage(const QString& caption, const QString& text, const QString& detail, Icon icon)
{
    QMessageBox box(parent_);
    box.setWindowTitle(caption);
    box.setText(text);
    if (!detail.isEmpty()) box.setInformativeText(detail);
    box.setIcon(icon == Icon::Error         ? QMessageBox::Critical
                : icon == Icon::Warning     ? QMessageBox::Warning
                : icon == Icon::Information ? QMessageBox::Information
                                            : QMessageBox::Question);
    box.exec();
}

bool WidgetPrompt::yesNo(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No, parent_);
    box.button(QMessageBox::Yes)->setText(TextById(kTextYes));
    box.button(QMessageBox::No)->setText(TextById(kTextNo));
    return box.exec() == QMessageBox::Yes;
}

QString WidgetPrompt::line(const QString& caption, const QString& label, const QString& initial)
{
    QInputDialog box(parent_);
    box.setWindowTitle(caption);
    box.setLabelText(label);
    box.setTextValue(initial);
    if (box.exec() != QDialog::Accepted) return {};
    return box.textValue();
}
