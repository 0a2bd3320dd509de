// The manual inside the program: every link and picture of every page is there, the troubleshooting
// chapter explains every error code, and the window follows links, Back and the language.
#include <QtTest/QtTest>

#include <QtCore/QDirIterator>
#include <QtCore/QRegularExpression>
#include <QtGui/QTextBlock>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QTextBrowser>
#include <QtWidgets/QToolButton>

#include "base/ErrorHelp.h"
#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "dialogs/ManualWindow.h"
#include "ui/Theme.h"

namespace {

QString readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList pages()
{
    QStringList out;
    QDirIterator it(QStringLiteral(":/manual"), {QStringLiteral("*.md")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) out << it.next();
    out.sort();
    return out;
}

// Where on the browser's viewport the link to `target` is drawn.
QPoint linkPoint(QTextBrowser* browser, const QString& target)
{
    for (QTextBlock b = browser->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().anchorHref() != target) continue;
            QTextCursor c(browser->document());
            c.setPosition(f.position() + f.length() / 2);
            return browser->cursorRect(c).center();
        }
    return {-1, -1};
}

}  // namespace

class TstManual : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { programLanguage() = TextTable::Polish; }

    // Both written languages have the same chapters; every link between pages and every picture
    // points at a file the program carries.
    void everyLinkAndPictureIsThere()
    {
        const QStringList all = pages();
        QStringList en, pl, es;
        for (const QString& p : all) {
            if (p.startsWith(QStringLiteral(":/manual/en/"))) en << p.section(QLatin1Char('/'), -1);
            if (p.startsWith(QStringLiteral(":/manual/pl/"))) pl << p.section(QLatin1Char('/'), -1);
            if (p.startsWith(QStringLiteral(":/manual/es/"))) es << p.section(QLatin1Char('/'), -1);
        }
        QVERIFY(en.size() >= 10);
        QCOMPARE(pl, en);
        QCOMPARE(es, en);
        QVERIFY(QFile::exists(QStringLiteral(":/manual/ru/index.md")));

        static const QRegularExpression link(QStringLiteral("\\]\\(([^)\\s]+)\\)"));
        int pictures = 0;
        for (const QString& page : all) {
            const QString text = readAll(page);
            QVERIFY2(!text.isEmpty(), qPrintable(page));
            const QDir folder = QFileInfo(page).dir();
            for (auto m = link.globalMatch(text); m.hasNext();) {
                const QString target = m.next().captured(1);
                if (target.startsWith(QStringLiteral("http"))) continue;
                const QString path = QDir::cleanPath(folder.filePath(target.section(QLatin1Char('#'), 0, 0)));
                QVERIFY2(QFile::exists(path), qPrintable(page + QStringLiteral(" -> ") + target));
                if (target.endsWith(QStringLiteral(".png"))) {
                    QVERIFY2(!QImage(path).isNull(), qPrintable(path));
                    ++pictures;
                }
            }
        }
        QVERIFY(pictures > 0);
    }

    // The troubleshooting chapter has a row for every error code the program shows, in every written
    // language.
    void troubleshootingExplainsEveryCode()
    {
        for (const QString& lang : {QStringLiteral("en"), QStringLiteral("pl"), QStringLiteral("es")}) {
            const QString text = readAll(QStringLiteral(":/manual/%1/08-troubleshooting.md").arg(lang));
            for (int code : ErrorHelp::codes())
                QVERIFY2(text.contains(QStringLiteral("\n| %1 | ").arg(code)),
                         qPrintable(lang + QString::number(code)));
        }
    }

    // The links read in every theme: on a dark field (the Black themes) they are light, on a light
    // one dark; a contrast ratio of at least 3 to the field either way.
    void linksReadInEveryTheme()
    {
        const auto luminance = [](const QColor& c) {
            const auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
        };
        for (int theme = 0; theme < 6; ++theme) {
            const ThemePalette t = ComputePalette(theme, SystemColours::fromPalette(QApplication::palette()));
            ManualWindow window;
            window.applyColours(t);
            window.showContents();
            const QPalette p = window.browser()->palette();
            // The links as the page draws them, and the palette's colours for the links visited.
            QList<QColor> links{p.color(QPalette::LinkVisited)};
            const QTextDocument* doc = window.browser()->document();
            for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
                for (auto it = block.begin(); !it.atEnd(); ++it)
                    if (it.fragment().charFormat().isAnchor()) links << it.fragment().charFormat().foreground().color();
            QVERIFY(links.size() > 5);
            for (const QColor& link : links) {
                const double a = luminance(link), b = luminance(p.color(QPalette::Base));
                const double contrast = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
                QVERIFY2(contrast >= 3, qPrintable(QStringLiteral("theme %1: %2 on %3")
                                                       .arg(theme)
                                                       .arg(link.name(), p.color(QPalette::Base).name())));
            }
        }
    }

    // A click on a chapter's link opens it with its pictures, Back returns, a language change opens
    // the first page in the new language, and Contents goes back to it.
    void windowFollowsLinksBackAndLanguage()
    {
        // Filled before it is shown, as the menu does: the pictures follow the width it gets.
        ManualWindow window;
        window.showContents();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTextBrowser* b = window.browser();
        QCOMPARE(b->source(), ManualWindow::contentsOf(TextTable::Polish));
        QVERIFY(!window.backButton()->isEnabled());

        const QPoint at = linkPoint(b, QStringLiteral("02-first-installation.md"));
        QVERIFY(at.x() >= 0);
        QTest::mouseClick(b->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(b->source(), QUrl(QStringLiteral("qrc:/manual/pl/02-first-installation.md")));
        QVERIFY(b->toPlainText().startsWith(QStringLiteral("Pierwszy montaż krok po kroku")));
        // The picture on the page is loaded, not a broken image.
        const QVariant picture =
            b->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("../pictures/pl/settings.png")));
        QVERIFY(!picture.value<QImage>().isNull() || !picture.toByteArray().isEmpty());
        // Pictures wider than the page are drawn at the page's width: no sideways scrolling.
        int pictures = 0;
        for (QTextBlock block = b->document()->begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().isImageFormat()) {
                    const QTextImageFormat image = it.fragment().charFormat().toImageFormat();
                    QVERIFY(image.width() > b->viewport()->width() / 2);
                    QVERIFY(image.width() <= b->viewport()->width());
                    QVERIFY(!image.hasProperty(QTextFormat::ImageHeight));
                    ++pictures;
                }
        QVERIFY(pictures > 0);
        QCOMPARE(b->horizontalScrollBar()->maximum(), 0);

        QVERIFY(window.backButton()->isEnabled());
        QTest::mouseClick(window.backButton(), Qt::LeftButton);
        QCOMPARE(b->source(), ManualWindow::contentsOf(TextTable::Polish));

        programLanguage() = TextTable::English;
        window.relabel();
        QCOMPARE(b->source(), ManualWindow::contentsOf(TextTable::English));
        QVERIFY(b->toPlainText().startsWith(QStringLiteral("KAVELO workshop program")));
        QCOMPARE(window.contentsButton()->text(), QStringLiteral("Contents"));

        // Spanish has its own chapters.
        programLanguage() = TextTable::Spanish;
        window.relabel();
        QVERIFY(b->toPlainText().startsWith(QStringLiteral("Programa de taller KAVELO")));
        QCOMPARE(window.contentsButton()->text(), QStringLiteral("Índice"));
        const QPoint spanish = linkPoint(b, QStringLiteral("08-troubleshooting.md"));
        QVERIFY(spanish.x() >= 0);
        QTest::mouseClick(b->viewport(), Qt::LeftButton, {}, spanish);
        QCOMPARE(b->source(), QUrl(QStringLiteral("qrc:/manual/es/08-troubleshooting.md")));
        QVERIFY(b->toPlainText().startsWith(QStringLiteral("Solución de problemas")));
        QTest::mouseClick(window.contentsButton(), Qt::LeftButton);
        QCOMPARE(b->source(), ManualWindow::contentsOf(TextTable::Spanish));
    }

    // The search field finds a word in every chapter of the manual in the window's language, not
    // only on the open page; the list names chapter and line; Down and Enter open a place with the
    // word selected and marked. Russian and Spanish search the English chapters their first page
    // leads to.
    void searchFindsTheWordInEveryChapter_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("chapters");  // pages that must be among the hits
        QTest::newRow("Polish error code")
            << int(TextTable::Polish) << "141" << QStringList{"pl/07-firmware.md", "pl/08-troubleshooting.md"};
        QTest::newRow("English word, any case") << int(TextTable::English) << "LEAN" << QStringList{"en/03-tuning.md"};
        QTest::newRow("Spanish error code")
            << int(TextTable::Spanish) << "141" << QStringList{"es/07-firmware.md", "es/08-troubleshooting.md"};
        QTest::newRow("Russian error code")
            << int(TextTable::Russian) << "141" << QStringList{"ru/07-firmware.md", "ru/08-troubleshooting.md"};
    }
    void searchFindsTheWordInEveryChapter()
    {
        QFETCH(int, language);
        QFETCH(QString, word);
        QFETCH(QStringList, chapters);
        programLanguage() = language;
        ManualWindow window;
        window.showContents();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTextBrowser* b = window.browser();
        QCOMPARE(window.searchField()->placeholderText(), TextById(OwnText::ManualSearch));
        QVERIFY(!window.hitList()->isVisible());

        window.searchField()->setFocus();
        QTest::keyClicks(window.searchField(), word);
        const QList<ManualWindow::Hit> hits = window.hits();
        QVERIFY(!hits.isEmpty());
        QVERIFY(window.hitList()->isVisible());
        QCOMPARE(window.hitList()->count(), hits.size());
        const QString own = QStringLiteral("/%1/").arg(ManualWindow::folderOf(language));
        for (const ManualWindow::Hit& h : hits) {
            QVERIFY2(h.text.contains(word, Qt::CaseInsensitive), qPrintable(h.text));
            const QString path = h.page.path();
            QVERIFY2(path.contains(own), qPrintable(path));
        }
        for (const QString& chapter : chapters) {
            const auto at = std::find_if(hits.begin(), hits.end(),
                                         [&](const ManualWindow::Hit& h) { return h.page.path().endsWith(chapter); });
            QVERIFY2(at != hits.end(), qPrintable(chapter));
            const int row = int(at - hits.begin());
            QVERIFY(window.hitList()->item(row)->text().startsWith(
                TextById(OwnText::ManualHit).arg(at->chapter, QString::number(at->line), QString()).trimmed()));
            QVERIFY(!at->chapter.endsWith(QStringLiteral(".md")));  // the chapter's heading, not its file

            // Down goes into the list, further Downs to the place, Enter opens it.
            window.hitList()->setCurrentRow(-1);
            QTest::keyClick(window.searchField(), Qt::Key_Down);
            QCOMPARE(window.hitList()->currentRow(), 0);
            while (window.hitList()->currentRow() < row) QTest::keyClick(window.hitList(), Qt::Key_Down);
            QTest::keyClick(window.hitList(), Qt::Key_Return);
            QCOMPARE(b->source(), at->page);
            QCOMPARE(b->textCursor().selectedText().compare(word, Qt::CaseInsensitive), 0);
            QCOMPARE(b->textCursor().block().blockNumber() + 1, at->line);
            QVERIFY(!b->extraSelections().isEmpty());
        }

        // Enter in the field opens the first place.
        window.searchField()->setFocus();
        window.hitList()->setCurrentRow(-1);
        QTest::keyClick(window.searchField(), Qt::Key_Return);
        QCOMPARE(b->source(), hits.first().page);
        // Following a link leaves the marks behind.
        QTest::mouseClick(window.contentsButton(), Qt::LeftButton);
        QVERIFY(b->extraSelections().isEmpty());
    }

    void searchWithoutMatchSaysSo()
    {
        programLanguage() = TextTable::English;
        ManualWindow window;
        window.showContents();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::keyClicks(window.searchField(), QStringLiteral("zqxw"));
        QVERIFY(window.hits().isEmpty());
        QCOMPARE(window.hitList()->count(), 1);
        QCOMPARE(window.hitList()->item(0)->text(), QStringLiteral("Not found in the manual: zqxw"));
        QVERIFY(!(window.hitList()->item(0)->flags() & Qt::ItemIsEnabled));
        QTest::keyClick(window.searchField(), Qt::Key_Return);
        QCOMPARE(window.browser()->source(), ManualWindow::contentsOf(TextTable::English));
        // Emptied, the field hides the list.
        window.searchField()->clear();
        QVERIFY(!window.hitList()->isVisible());
    }
};

QTEST_MAIN(TstManual)
#include "tst_manual.moc"
