#pragma once

#include <QtCore/QList>
#include <QtCore/QTimer>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>

#include <memory>

#include "editor/NastawyLayout.h"
#include "settings/SettingsCatalogue.h"
#include "ui/Theme.h"

class QListWidget;
class QScrollBar;
class TSterownik;

// The settings editor: an owner-drawn two-column list of labelled value cells, page by page.
// It changes values only through the settings catalogue it is given (SettingsCatalogue::SetValue;
// the workshop session owns the catalogue and the dialogs share it), so it holds no copy of them:
// every paint reads the link's memory image.
class TNastawy : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRepeatFirst = 600;

    TNastawy(TSterownik& link, SettingsCatalogue& catalogue, QWidget* parent = nullptr);
    ~TNastawy() override;

    SettingsCatalogue& catalogue() { return catalogue_; }
    void RegisterSettings() { catalogue_.RegisterSettings(); }
    void LoadDefaults() { catalogue_.LoadDefaults(); }

    void SetPage(int page);
    void SetViewLevel(int level);
    // Recomputes row height, geometry and font for the current size; nothing while hidden.
    void Relayout();
    void HideEditor();
    void setThemePalette(const ThemePalette& palette);

    int page() const { return page_; }
    int viewLevel() const { return viewLevel_; }
    const QList<int>& cells() const { return cells_; }
    int rowCount() const { return static_cast<int>(cells_.size() / 2); }
    int selectedColumn() const { return selCol_; }
    int selectedRow() const { return selRow_; }
    int firstRow() const { return firstRow_; }
    const NastawyLayout::Geometry& geometry() const { return geo_; }
    int fontSize() const { return fontSize_; }
    // Setting index of a cell, or a negative code.
    int cellAt(int column, int row) const;
    // Cell under a widget position: column and row (clamped to the last row).
    QPoint cellUnder(const QPoint& pos) const;
    // Widget rectangle of a cell.
    QRect cellRect(int column, int row) const;
    // Whether the label of setting n in `column` is cut for want of room (it then ends in "…").
    bool labelCut(int column, int n) const;

    // The repeat timer of a held step button, and its handler (tests call it directly).
    QTimer* repeatTimer() { return &repeat_; }
    void RepeatTick();
    int repeatCount() const { return repeatCount_; }
    // The list popup (null until first used).
    QListWidget* listPopup() const { return popup_; }

    // The rendered picture (what paintEvent copies to the screen).
    const QImage& image() const { return image_; }

    // A press that opens a dialog: the injectors cell (kind -10; index 0 left of the value box,
    // 1 right of it) or a detail button (kind 0; index = the setting). The main window opens them.
    std::function<void(int kind, int index)> OnDetail;
    // Beeps sounded (refusals, limits, impossible moves).
    int beepCount = 0;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void render();
    void drawCell(QPainter& p, int column, int row);
    void drawSetting(QPainter& p, const QRect& r, int column, int index, bool selected);
    void drawButtonFace(QPainter& p, const QRect& r);
    void press(const QPoint& pos, bool fromTimer);
    void openPopup(int index, int column, int row);
    void beep();
    void refresh();
    int visibleRows() const;
    QString fitted(const QFontMetrics& fm, QString text, int width) const;
    // Where the labels of a column start, and where setting n's label must end.
    int labelLeft(int column) const;
    int labelRoomEnd(int column, int n) const;
    QFont labelFont() const;
    void updateAccessibleName();
    bool warning(int index) const;

    TSterownik& link_;
    SettingsCatalogue& catalogue_;
    ThemePalette pal_;
    QList<int> cells_;
    int page_ = 0;
    int viewLevel_ = 1;
    int selCol_ = 0;
    int selRow_ = 1;
    int firstRow_ = 0;
    int rowHeight_ = 20;
    int colWidth_ = 0;
    int fontSize_ = 8;
    int longestLabel_ = 0;
    NastawyLayout::Geometry geo_;
    QTimer repeat_;
    int repeatCount_ = 0;
    QPoint pressPos_;
    QListWidget* popup_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QImage image_;
    bool rendering_ = false;
};
