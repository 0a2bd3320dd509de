#pragma once

#include <QtCore/QList>
#include <QtWidgets/QWidget>

#include "ui/Panel.h"

class PanelSplitter;
class QLabel;
class QToolButton;
class QVBoxLayout;

// A side panel of the main window (`PanelLeft` or `PanelRight`, this widget): its body, which the
// window fills, the button that collapses it, the narrow handle that stands in for it while it is
// collapsed and the splitter bar between it and the centre. The right panel's body starts with
// its title row: the title with the readings-selection button "V" at its right end, then the
// collapse button.
class SidePanel : public QWidget, public Panel {
    Q_OBJECT
public:
    enum class Side { Left, Right };
    // Width of a collapsed panel (its handle) and the left panel's width when open.
    static constexpr int kCollapsedWidth = 14;
    static constexpr int kLeftWidth = 180;

    // The bar is made in `parent` beside the panel, towards `neighbour`; the window lays out both.
    SidePanel(Side side, QWidget* neighbour, QWidget* parent);

    QWidget* body() const { return body_; }  // PanelLeftBody, PanelRightBody
    QVBoxLayout* bodyLayout() const { return bodyLayout_; }
    QToolButton* hideButton() const { return hide_; }          // BtnUkryjLewy, BtnUkryjPrawy
    QToolButton* handle() const { return handle_; }            // PanelLeftShow, PanelRightShow
    PanelSplitter* bar() const { return bar_; }                // SplitterLeft, SplitterRight
    QLabel* title() const { return title_; }                   // BanerParametry (right panel only)
    QToolButton* titleButton() const { return titleButton_; }  // BtnParamList (right panel only)
    // A further title in the body (BanerCzasWtr), coloured with the panel; the caller places it.
    QLabel* addTitle();

    bool collapsed() const { return collapsed_; }
    // A collapsed panel shows only its handle, and its bar cannot be dragged.
    void setCollapsed(bool collapsed);
    // The panel's width: `openWidth` while open, the handle's while collapsed.
    void setOpenWidth(int openWidth);
    // Shows or hides the panel together with its bar.
    void setShown(bool shown);

    void relabel() override;
    void applyColours(const ThemePalette& palette) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    // The collapse button (true) or the handle (false) was pressed.
    void collapseRequested(bool collapsed);

private:
    QWidget* body_ = nullptr;
    QVBoxLayout* bodyLayout_ = nullptr;
    QToolButton* hide_ = nullptr;
    QToolButton* handle_ = nullptr;
    PanelSplitter* bar_ = nullptr;
    QLabel* title_ = nullptr;
    QList<QLabel*> titles_;
    QToolButton* titleButton_ = nullptr;
    bool collapsed_ = false;
};
