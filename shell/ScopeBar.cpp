// The main window's oscilloscope: the view in its place, the button bar, the recording items of the
// Device menu, the view's colours and its live samples.
#include "shell/ScopeBar.h"

#include <QtGui/QAction>
#include <QtGui/QIcon>
#include <QtGui/QPixmap>
#include <QtWidgets/QMenu>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QVBoxLayout>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "scope/ScopeGlyphs.h"
#include "scope/Toscyloskop.h"
#include "ui/Theme.h"

namespace {
// Button numbers of the oscilloscope bar and their lefts.
constexpr int kOscCommands[12] = {1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 20, 21};
constexpr int kOscLefts[12] = {0, 30, 60, 90, 140, 170, 200, 250, 280, 310, 360, 390};
}  // namespace

ScopeBar::ScopeBar(TSterownik& link, Prompt* const& prompt, QWidget* viewPlace, QMenu* fileMenu, QAction* after,
                   QWidget* parent)
    : QWidget(parent), prompt_(prompt)
{
    setObjectName(QStringLiteral("PanelOsc"));
    hide();

    view_ = new TScope(viewPlace);
    ::Scope = view_;
    view_->link = &link;
    view_->prompt = prompt_;
    auto* layout = new QVBoxLayout(viewPlace);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    view_->show();  // shown and hidden with its place

    for (int i = 0; i < 12; ++i) {
        const int code = kOscCommands[i];
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("BitBtnOsc%1").arg(code, 2, 10, QLatin1Char('0')));
        b->setGeometry(kOscLefts[i], 0, 28, 28);
        b->setIcon(QIcon(QPixmap::fromImage(ScopeGlyphs::picture(ScopeGlyphs::buttonGlyph(code)))));
        b->setIconSize(QSize(22, 22));
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, code] { BitBtnOsc01Click(code); });
        oscButtons_[static_cast<size_t>(i)] = b;
    }

    // The recording items follow the settings-file items, ahead of anything added after those.
    const QList<QAction*> items = fileMenu->actions();
    const qsizetype at = items.indexOf(after);
    QAction* before = at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr;
    fileMenu->insertSeparator(before);
    auto item = [&](const char* name, void (ScopeBar::*handler)()) {
        auto* action = new QAction(fileMenu);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        fileMenu->insertAction(before, action);
        return action;
    };
    MenuFile5_ = item("MenuFile5", &ScopeBar::MenuFile5Click);
    MenuFile6_ = item("MenuFile6", &ScopeBar::MenuFile6Click);
    MenuFile7_ = item("MenuFile7", &ScopeBar::MenuFile7Click);
}

QToolButton* ScopeBar::button(int code) const
{
    for (size_t i = 0; i < oscButtons_.size(); ++i)
        if (kOscCommands[i] == code) return oscButtons_[i];
    return nullptr;
}

void ScopeBar::liveFrame(const LiveFrame& frame) { view_->AddLiveFrame(frame); }

void ScopeBar::relabel()
{
    // Every button says what it does: the glyphs alone leave a new user guessing.
    const auto tip = [this](int code, const QString& text) {
        if (QToolButton* b = button(code)) b->setToolTip(text);
    };
    tip(1, TextById(OwnText::ScopePlay));
    tip(2, TextById(OwnText::ScopePause));
    tip(3, TextById(OwnText::ScopeStop));
    tip(4, TextById(OwnText::ScopeRecord));
    tip(5, TextById(1105));
    tip(6, TextById(OwnText::ScopeClear));
    tip(7, TextById(1107));
    for (int layout = 1; layout <= 3; ++layout) tip(9 + layout, TextById(OwnText::ScopeLayout).arg(layout));
    tip(20, TextById(OwnText::ScopeZoomIn));
    tip(21, TextById(OwnText::ScopeZoomOut));
    MenuFile5_->setText(TextById(1105));
    MenuFile6_->setText(TextById(1106));
    MenuFile7_->setText(TextById(1107));
}

void ScopeBar::applyColours(const ThemePalette& t)
{
    view_->prompt = prompt_;
    view_->setFont(window()->font());
    view_->setColours(t.scope.cursor, t.scope.plotBackground, t.scope.frame, t.scope.grid, t.background, t.text);
    if (view_->isVisible()) view_->Redraw();
}

void ScopeBar::BitBtnOsc01Click(int code)
{
    view_->prompt = prompt_;
    view_->Command(code);
}

void ScopeBar::MenuFile5Click()
{
    BitBtnOsc01Click(5);
    Q_EMIT recordingRead();
}

void ScopeBar::MenuFile6Click() { BitBtnOsc01Click(4); }

void ScopeBar::MenuFile7Click()
{
    view_->prompt = prompt_;
    view_->ExportCsv();
}

void ScopeBar::play() { view_->state = TScope::Play; }
