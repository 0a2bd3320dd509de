// The main window's oscilloscope pieces: the view in its panel, the button bar, the recording
// items of the Device menu, the view's colours and its live samples.
#include <QtGui/QAction>
#include <QtGui/QIcon>
#include <QtGui/QPixmap>
#include <QtWidgets/QMenu>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QVBoxLayout>

#include "scope/ScopeGlyphs.h"
#include "scope/Toscyloskop.h"
#include "shell/Unitmain.h"

namespace {
// Button numbers of the oscilloscope bar and their lefts.
constexpr int kOscCommands[12] = {1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 20, 21};
constexpr int kOscLefts[12] = {0, 30, 60, 90, 140, 170, 200, 250, 280, 310, 360, 390};
}  // namespace

void TForm1::buildScope()
{
    Scope = new TScope(PanelScope);
    ::Scope = Scope;
    Scope->link = Sterownik1;
    Scope->prompt = prompt;
    auto* layout = new QVBoxLayout(PanelScope);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Scope);
    Scope->show();  // shown and hidden with its panel

    for (int i = 0; i < 12; ++i) {
        const int code = kOscCommands[i];
        auto* b = new QToolButton(PanelOsc);
        b->setObjectName(QStringLiteral("BitBtnOsc%1").arg(code, 2, 10, QLatin1Char('0')));
        b->setGeometry(kOscLefts[i], 0, 28, 28);
        b->setIcon(QIcon(QPixmap::fromImage(ScopeGlyphs::picture(ScopeGlyphs::buttonGlyph(code)))));
        b->setIconSize(QSize(22, 22));
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, code] { BitBtnOsc01Click(code); });
        oscButtons[static_cast<size_t>(i)] = b;
    }

    // The recording items follow the settings-file items, ahead of anything added after those.
    const QList<QAction*> items = MenuFile->actions();
    const qsizetype save = items.indexOf(MenuFileSave);
    QAction* before = save >= 0 && save + 1 < items.size() ? items[save + 1] : nullptr;
    MenuFile->insertSeparator(before);
    auto item = [&](const char* name, void (TForm1::*handler)()) {
        auto* action = new QAction(MenuFile);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        MenuFile->insertAction(before, action);
        return action;
    };
    MenuFile5 = item("MenuFile5", &TForm1::MenuFile5Click);
    MenuFile6 = item("MenuFile6", &TForm1::MenuFile6Click);
    MenuFile7 = item("MenuFile7", &TForm1::MenuFile7Click);

    // Placed by receive time: the trace keeps 0.1 s a sample while reads or writes share the line.
    liveFanOut.add([this](const LiveFrame& frame) { Scope->AddLiveFrame(frame); });
    // History lines carry the recorded time; the channel list's changes redraw the traces.
    scopeTimeText = [this] { return Scope->RecordedTimeText(); };
    scopeRedraw = [this] { Scope->Redraw(); };
}

void TForm1::relabelScope()
{
    MenuFile5->setText(TextById(1105));
    MenuFile6->setText(TextById(1106));
    MenuFile7->setText(TextById(1107));
}

void TForm1::applyScopeColours()
{
    const ThemePalette& t = palette;
    Scope->prompt = prompt;
    Scope->setFont(font());
    Scope->setColours(t.scope.cursor, t.scope.plotBackground, t.scope.frame, t.scope.grid, t.background, t.text);
    if (Scope->isVisible()) Scope->Redraw();
}

void TForm1::BitBtnOsc01Click(int code)
{
    Scope->prompt = prompt;
    Scope->Command(code);
}

void TForm1::MenuFile5Click()
{
    BitBtnOsc01Click(5);
    row1[4]->setChecked(true);
    SpeedButton1Click(4);
}

void TForm1::MenuFile6Click() { BitBtnOsc01Click(4); }

void TForm1::MenuFile7Click()
{
    Scope->prompt = prompt;
    Scope->ExportCsv();
}
