#pragma once

#include <QtCore/QUrl>
#include <QtWidgets/QDialog>

#include "ui/Panel.h"

class QTextBrowser;
class QToolButton;

// The fitter's manual, kept as Markdown with its pictures inside the program (":/manual/<language>/"),
// shown with Qt's own Markdown rendering: links between chapters are followed in the window, the
// Back and Contents buttons go back and to the first page. A language change opens the first page
// of the manual in the new language; Russian and Spanish have a first page of their own that leads
// to the English chapters until they are translated.
class ManualWindow : public QDialog, public Panel {
    Q_OBJECT
public:
    explicit ManualWindow(QWidget* parent = nullptr);

    // Folder of the manual in `language` (TextTable::Language): "en", "pl", "ru" or "es".
    static QString folderOf(int language);
    // The first page in `language`.
    static QUrl contentsOf(int language);

    // Shows the first page in the program's current language.
    void showContents();
    void relabel() override;
    void applyColours(const ThemePalette& palette) override;

    QTextBrowser* browser() const { return browser_; }
    QToolButton* backButton() const { return back_; }
    QToolButton* contentsButton() const { return contents_; }

protected:
    // The page's width is the viewport's, known only once the layout has given it its size.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sourceShown(const QUrl& url);
    // Pictures wider than the page are drawn at the page's width (the screenshots are 1366 wide).
    void fitPictures();
    void colourLinks();

    QTextBrowser* browser_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* contents_ = nullptr;
    int language_ = -1;
};
