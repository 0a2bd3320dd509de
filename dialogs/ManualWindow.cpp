#include "dialogs/ManualWindow.h"

#include <QtCore/QEvent>
#include <QtGui/QImageReader>
#include <QtGui/QTextBlock>
#include <QtGui/QTextCursor>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QTextBrowser>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QVBoxLayout>

#include <algorithm>

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
    browser_->viewport()->installEventFilter(this);
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
    // The default link blues vanish on the Black themes' dark field: there the links are light.
    const bool dark = palette.field.isValid() && palette.field.lightnessF() < 0.5;
    p.setColor(QPalette::Link, dark ? QColor(120, 180, 255) : QColor(0, 0, 238));
    p.setColor(QPalette::LinkVisited, dark ? QColor(200, 160, 255) : QColor(85, 26, 139));
    browser_->setPalette(p);
    colourLinks();
    QPalette w = this->palette();
    w.setColor(QPalette::Window, palette.background);
    w.setColor(QPalette::WindowText, palette.text);
    setPalette(w);
}

bool ManualWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == browser_->viewport() && event->type() == QEvent::Resize) fitPictures();
    return QDialog::eventFilter(watched, event);
}

void ManualWindow::fitPictures()
{
    QTextDocument* doc = browser_->document();
    const int room = std::max(100, browser_->viewport()->width() - 2 * int(doc->documentMargin()) - 4);
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.charFormat().isImageFormat()) continue;
            QTextImageFormat image = f.charFormat().toImageFormat();
            const QUrl url = browser_->source().resolved(QUrl(image.name()));
            const int natural = QImageReader(QLatin1Char(':') + url.path()).size().width();
            if (natural <= 0) continue;
            const int width = std::min(natural, room);
            if (int(image.width()) == width) continue;
            image.setWidth(width);
            image.clearProperty(QTextFormat::ImageHeight);  // the height follows the width
            QTextCursor c(doc);
            c.setPosition(f.position());
            c.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
            c.setCharFormat(image);
        }
    }
}

// The page's links take their colour when it is read (from the program-wide palette): they are given
// the browser's link colour, so that they read on the theme's field.
void ManualWindow::colourLinks()
{
    QTextDocument* doc = browser_->document();
    const QColor link = browser_->palette().color(QPalette::Link);
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            QTextCharFormat format = f.charFormat();
            if (!format.isAnchor() || format.isImageFormat() || format.foreground().color() == link) continue;
            format.setForeground(link);
            QTextCursor c(doc);
            c.setPosition(f.position());
            c.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
            c.setCharFormat(format);
        }
    }
}

void ManualWindow::sourceShown(const QUrl&)
{
    fitPictures();
    colourLinks();
    const QString title = browser_->documentTitle();
    setWindowTitle(QStringLiteral("KAVELO - ") + TextById(1171) +
                   (title.isEmpty() ? QString() : QStringLiteral(" - ") + title));
}
