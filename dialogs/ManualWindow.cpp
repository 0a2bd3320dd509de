#include "dialogs/ManualWindow.h"

#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QTextBrowser>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QVBoxLayout>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "ui/Theme.h"

ManualWindow::ManualWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ManualWindow"));
    // A window of its own beside the main one: the fitter follows the manual while working.
    setWindowFlag(Qt::Window);
    setModal(false);
    resize(860, 680);

    back_ = new QToolButton(this);
    contents_ = new QToolButton(this);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    browser_->setOpenLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(contents_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);

    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(contents_, &QToolButton::clicked, this, [this] { browser_->setSource(contentsOf(programLanguage())); });
    connect(browser_, &QTextBrowser::sourceChanged, this, &ManualWindow::sourceShown);
    back_->setEnabled(false);
    relabel();
}

QString ManualWindow::folderOf(int language)
{
    switch (language) {
        case TextTable::Polish: return QStringLiteral("pl");
        case TextTable::Russian: return QStringLiteral("ru");
        case TextTable::Spanish: return QStringLiteral("es");
        default: return QStringLiteral("en");
    }
}

QUrl ManualWindow::contentsOf(int language)
{
    return QUrl(QStringLiteral("qrc:/manual/%1/index.md").arg(folderOf(language)));
}

void ManualWindow::showContents()
{
    language_ = programLanguage();
    browser_->clearHistory();
    browser_->setSource(contentsOf(language_), QTextDocument::MarkdownResource);
}

void ManualWindow::relabel()
{
    back_->setText(QStringLiteral("← ") + TextById(OwnText::ManualBack));
    contents_->setText(TextById(OwnText::ManualContents));
    sourceShown(browser_->source());
    // The manual follows the window's language: a change opens its first page in the new language.
    if (language_ >= 0 && language_ != programLanguage()) showContents();
}

void ManualWindow::applyColours(const ThemePalette& palette)
{
    QPalette p = browser_->palette();
    p.setColor(QPalette::Base, palette.field);
    p.setColor(QPalette::Text, palette.text);
    browser_->setPalette(p);
    QPalette w = this->palette();
    w.setColor(QPalette::Window, palette.background);
    w.setColor(QPalette::WindowText, palette.text);
    setPalette(w);
}

void ManualWindow::sourceShown(const QUrl&)
{
    const QString title = browser_->documentTitle();
    setWindowTitle(QStringLiteral("KAVELO - ") + TextById(1171) +
                   (title.isEmpty() ? QString() : QStringLiteral(" - ") + title));
}
