#pragma once

#include <QtCore/QList>
#include <QtCore/QUrl>
#include <QtWidgets/QDialog>

#include <memory>
#include <vector>

#include "ui/Panel.h"

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QTextDocument;
class QToolButton;

// The fitter's manual, kept as Markdown with its pictures inside the program (":/manual/<language>/"),
// shown with Qt's own Markdown rendering: links between chapters are followed in the window, the
// Back and Contents buttons go back and to the first page. A language change opens the first page
// of the manual in the new language (each of the four has every chapter). The search field finds a
// word in every chapter of the manual in the window's language, lists the places and opens them
// with the word marked.
class ManualWindow : public QDialog, public Panel {
    Q_OBJECT
public:
    // One place where a searched word stands.
    struct Hit {
        QUrl page;
        QString chapter;     // the page's heading
        int line = 0;        // the line of the shown page (its paragraph, list item or table cell), from 1
        int occurrence = 0;  // which occurrence of the word on the page, from 0
        QString text;        // that line
    };

    explicit ManualWindow(QWidget* parent = nullptr);
    ~ManualWindow() override;

    // Folder of the manual in `language` (TextTable::Language): "en", "pl", "ru" or "es".
    static QString folderOf(int language);
    // The first page in `language`.
    static QUrl contentsOf(int language);

    // The pages of the manual in `language`: its first page and every page it leads to, in the
    // order the links name them.
    static QList<QUrl> pagesOf(int language);

    // Shows the first page in the program's current language.
    void showContents();
    // Every place of `word` (letters of either case) in the manual of the window's language, page by
    // page; the list under the search field shows them.
    QList<Hit> search(const QString& word);
    // Opens the page of hit `row` of the list and marks the word there.
    void openHit(int row);
    void relabel() override;
    void applyColours(const ThemePalette& palette) override;

    QTextBrowser* browser() const { return browser_; }
    QToolButton* backButton() const { return back_; }
    QToolButton* contentsButton() const { return contents_; }
    QLineEdit* searchField() const { return search_; }
    QListWidget* hitList() const { return hits_; }
    const QList<Hit>& hits() const { return found_; }

protected:
    // The page's width is the viewport's, known only once the layout has given it its size.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sourceShown(const QUrl& url);
    // Pictures wider than the page are drawn at the page's width (the screenshots are 1366 wide).
    void fitPictures();
    void colourLinks();
    // The list under the search field for the text typed into it.
    void searchTyped();
    // The word's places on the shown page get a background; `current` of them also the selection.
    void markWord(const QString& word, int current);

    struct Page {
        QUrl url;
        QString chapter;
        std::unique_ptr<QTextDocument> document;  // the page as the browser lays it out
    };
    const std::vector<Page>& pages();

    QTextBrowser* browser_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* contents_ = nullptr;
    QLineEdit* search_ = nullptr;
    QListWidget* hits_ = nullptr;
    int language_ = -1;
    std::vector<Page> pages_;  // the searched pages, kept for one language
    int pagesLanguage_ = -1;
    QList<Hit> found_;
    QString foundWord_;
    bool opening_ = false;  // a hit's page is being opened: its marks are set after it shows
};
