#include "dialogs/ManualWindow.h"

#include <QtCore/QEvent>
#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtGui/QImageReader>
#include <QtGui/QKeyEvent>
#include <QtGui/QTextBlock>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QTextBrowser>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QVBoxLayout>

#include <algorithm>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "ui/Theme.h"

namespace {

// A word found in every paragraph would fill the list with nothing to choose from.
constexpr int kMostHits = 500;
// The shortest text searched for: one letter matches nearly every line.
constexpr int kShortestWord = 2;

QString readPage(const QUrl& url)
{
    QFile f(QLatin1Char(':') + url.path());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The part of a found line shown in the list: around the word, cut with "…" where it goes on.
QString excerpt(const QString& line, const QString& word)
{
    constexpr int kBefore = 40, kLength = 110;
    const qsizetype at = std::max<qsizetype>(0, line.indexOf(word, 0, Qt::CaseInsensitive));
    const qsizetype from = at > kBefore ? at - kBefore : 0;
    QString shown = line.mid(from, kLength);
    if (from > 0) shown.prepend(QStringLiteral("…"));
    if (from + kLength < line.size()) shown.append(QStringLiteral("…"));
    return shown;
}

}  // namespace

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
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("ManualSearch"));
    search_->setClearButtonEnabled(true);
    search_->setMinimumWidth(260);
    hits_ = new QListWidget(this);
    hits_->setObjectName(QStringLiteral("ManualHits"));
    hits_->setMaximumHeight(150);
    hits_->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(contents_);
    buttons->addStretch(1);
    buttons->addWidget(search_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(hits_);
    layout->addWidget(browser_, 1);

    connect(search_, &QLineEdit::textChanged, this, &ManualWindow::searchTyped);
    // Enter opens the chosen place, or the first one; Down goes into the list.
    connect(search_, &QLineEdit::returnPressed, this, [this] { openHit(std::max(0, hits_->currentRow())); });
    connect(hits_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { openHit(hits_->row(item)); });
    connect(hits_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { openHit(hits_->row(item)); });
    search_->installEventFilter(this);

    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(contents_, &QToolButton::clicked, this, [this] { browser_->setSource(contentsOf(programLanguage())); });
    connect(browser_, &QTextBrowser::sourceChanged, this, &ManualWindow::sourceShown);
    back_->setEnabled(false);
    browser_->viewport()->installEventFilter(this);
    relabel();
}

ManualWindow::~ManualWindow() = default;

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

QList<QUrl> ManualWindow::pagesOf(int language)
{
    QList<QUrl> out{contentsOf(language)};
    static const QRegularExpression link(QStringLiteral("\\]\\(([^)\\s#]+\\.md)(#[^)\\s]*)?\\)"));
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QString text = readPage(out[i]);
        for (auto m = link.globalMatch(text); m.hasNext();) {
            const QUrl target = out[i].resolved(QUrl(m.next().captured(1)));
            if (!out.contains(target) && QFile::exists(QLatin1Char(':') + target.path())) out << target;
        }
    }
    return out;
}

const std::vector<ManualWindow::Page>& ManualWindow::pages()
{
    const int language = programLanguage();
    if (pagesLanguage_ == language) return pages_;
    pages_.clear();
    for (const QUrl& url : pagesOf(language)) {
        Page page;
        page.url = url;
        // Laid out as the browser lays the page out, so that a place found here is a place there.
        page.document = std::make_unique<QTextDocument>();
        page.document->setMarkdown(readPage(url));
        for (QTextBlock b = page.document->begin(); b.isValid() && page.chapter.isEmpty(); b = b.next())
            if (b.blockFormat().headingLevel() > 0) page.chapter = b.text().trimmed();
        if (page.chapter.isEmpty()) page.chapter = url.fileName();
        pages_.push_back(std::move(page));
    }
    pagesLanguage_ = language;
    return pages_;
}

QList<ManualWindow::Hit> ManualWindow::search(const QString& word)
{
    QList<Hit> out;
    const QString w = word.trimmed();
    if (w.isEmpty()) return out;
    for (const Page& page : pages()) {
        int occurrence = 0;
        for (QTextCursor c = page.document->find(w); !c.isNull(); c = page.document->find(w, c), ++occurrence) {
            QString line = c.block().text();
            line.remove(QChar::ObjectReplacementCharacter);  // a picture in the line
            out.append({page.url, page.chapter, c.block().blockNumber() + 1, occurrence, line.simplified()});
            if (out.size() >= kMostHits) return out;
        }
    }
    return out;
}

void ManualWindow::searchTyped()
{
    const QString word = search_->text().trimmed();
    hits_->clear();
    found_.clear();
    foundWord_ = word;
    if (word.size() < kShortestWord) {
        hits_->hide();
        markWord({}, -1);
        return;
    }
    found_ = search(word);
    for (const Hit& h : found_)
        hits_->addItem(TextById(OwnText::ManualHit).arg(h.chapter, QString::number(h.line), excerpt(h.text, word)));
    if (found_.isEmpty()) {
        auto* none = new QListWidgetItem(TextById(OwnText::ManualNotFound).arg(word), hits_);
        none->setFlags(Qt::NoItemFlags);
    }
    hits_->show();
}

void ManualWindow::openHit(int row)
{
    if (row < 0 || row >= found_.size()) return;
    const Hit hit = found_[row];
    if (browser_->source() != hit.page) {
        opening_ = true;
        browser_->setSource(hit.page, QTextDocument::MarkdownResource);
        opening_ = false;
    }
    markWord(foundWord_, hit.occurrence);
    hits_->setCurrentRow(row);
}

void ManualWindow::markWord(const QString& word, int current)
{
    QList<QTextEdit::ExtraSelection> marks;
    QTextCursor chosen;
    if (!word.isEmpty()) {
        QTextDocument* doc = browser_->document();
        int n = 0;
        for (QTextCursor c = doc->find(word); !c.isNull(); c = doc->find(word, c), ++n) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = c;
            mark.format.setBackground(n == current ? QColor(255, 150, 40) : QColor(255, 235, 120));
            mark.format.setForeground(QColor(0, 0, 0));
            marks << mark;
            if (n == current) chosen = c;
        }
    }
    browser_->setExtraSelections(marks);
    if (!chosen.isNull()) {
        browser_->setTextCursor(chosen);
        browser_->ensureCursorVisible();
    }
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
    search_->setPlaceholderText(TextById(OwnText::ManualSearch));
    sourceShown(browser_->source());
    // The manual follows the window's language: a change opens its first page in the new language,
    // and a word being searched for is looked for in that manual.
    if (language_ >= 0 && language_ != programLanguage()) {
        showContents();
        searchTyped();
    }
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
    if (watched == search_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && !found_.isEmpty()) {
        hits_->setFocus(Qt::TabFocusReason);
        hits_->setCurrentRow(std::max(0, hits_->currentRow()));
        return true;
    }
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
    // Marks of a searched word belong to the page they were set on.
    if (!opening_) browser_->setExtraSelections({});
    fitPictures();
    colourLinks();
    const QString title = browser_->documentTitle();
    setWindowTitle(QStringLiteral("KAVELO - ") + TextById(1171) +
                   (title.isEmpty() ? QString() : QStringLiteral(" - ") + title));
}
