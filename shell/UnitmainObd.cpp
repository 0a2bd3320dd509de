// The OBD reader inside the main window: its panel with the trouble-code box, the PID grid and the
// adapter status grid, filled from the reader's panel data; the pages of the OBD tab.
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QTextCursor>
#include <QtWidgets/QApplication>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>

#include "obd/Telmobd.h"
#include "shell/Unitmain.h"
#include "ui/StringGrid.h"

namespace {

const QColor kUnsupported(192, 192, 192);
const QColor kSelected(0, 128, 0);

// Runs `action` on a double click in the watched widget.
class DoubleClickWatch : public QObject {
public:
    DoubleClickWatch(QObject* parent, std::function<void()> action) : QObject(parent), action_(std::move(action)) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonDblClick) return false;
        action_();
        return true;
    }

private:
    std::function<void()> action_;
};

QColor fromTColor(TColor c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

}  // namespace

void TForm1::buildObdPanel()
{
    auto* row = new QHBoxLayout(PanelObd);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto* left = new QVBoxLayout;
    left->setSpacing(0);
    row->addLayout(left, 1);

    PanelObdTabs = new QWidget(PanelObd);
    PanelObdTabs->setObjectName(QStringLiteral("PanelObdTabs"));
    auto* tabs = new QHBoxLayout(PanelObdTabs);
    tabs->setContentsMargins(0, 0, 0, 0);
    tabs->setSpacing(0);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        auto* b = new QToolButton(PanelObdTabs);
        b->setObjectName(QStringLiteral("SpeedButton4%1").arg(i + 1));
        b->setCheckable(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumWidth(90);
        group->addButton(b, i);
        tabs->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, i] { SpeedButton41Click(i); });
        (i == 0 ? SpeedButton41 : SpeedButton42) = b;
    }
    SpeedButton41->setChecked(true);
    SpeedButton42->setText(QStringLiteral("PID"));
    tabs->addStretch(1);
    left->addWidget(PanelObdTabs);

    RichEditDtc = new QTextEdit(PanelObd);
    RichEditDtc->setObjectName(QStringLiteral("RichEditDtc"));
    RichEditDtc->setReadOnly(true);
    RichEditDtc->viewport()->installEventFilter(new DoubleClickWatch(RichEditDtc, [this] { RichEditDtcDblClick(); }));
    connect(RichEditDtc, &QTextEdit::textChanged, this, &TForm1::RichEditDtcChange);
    left->addWidget(RichEditDtc, 1);

    StringGridPid = new StringGrid(PanelObd);
    StringGridPid->setObjectName(QStringLiteral("StringGridPid"));
    StringGridPid->setColCount(5);
    StringGridPid->setLineGap(1);
    StringGridPid->setFocusPolicy(Qt::StrongFocus);
    StringGridPid->onDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        p.fillRect(rect, palette.field);
        const bool unsupported = ObdPort && r < ObdPort->pidy.size() && !ObdPort->pidy[r].supported;
        const bool selected = ObdPort && r < ObdPort->pidy.size() && ObdPort->pidy[r].selected;
        p.setPen(unsupported ? kUnsupported : c == 1 && selected ? kSelected : palette.text);
        p.setFont(StringGridPid->font());
        p.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, StringGridPid->cell(c, r));
    };
    const auto toggle = [this] {
        if (ObdPort) ObdPort->PrzelaczPid(StringGridPid->row);
    };
    StringGridPid->onClick = [this, toggle] {
        if (StringGridPid->col == 1) toggle();
    };
    StringGridPid->onDblClick = [this, toggle] {
        if (StringGridPid->hit && StringGridPid->col != 1) toggle();
    };
    StringGridPid->onKeyDown = [toggle](int key) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) toggle();
    };
    StringGridPid->hide();
    left->addWidget(StringGridPid, 1);

    StringGridElm = new StringGrid(PanelObd);
    StringGridElm->setObjectName(QStringLiteral("StringGridElm"));
    StringGridElm->setFixedWidth(189);
    StringGridElm->setColCount(2);
    StringGridElm->setRowCount(ObdPanels::RowCount);
    StringGridElm->setLineGap(0);
    StringGridElm->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGridElm->setFocusPolicy(Qt::NoFocus);
    StringGridElm->onDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        p.fillRect(rect, palette.field);
        p.setPen(palette.text);
        p.setFont(StringGridElm->font());
        p.drawText(rect.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, StringGridElm->cell(c, r));
    };
    auto* right = new QVBoxLayout;
    right->addWidget(StringGridElm);
    right->addStretch(1);
    row->addLayout(right);
}

void TForm1::attachObd()
{
    ObdPort->OnZdarzenie = [this](int kind, int code, int value, int length) { LinkEvent(kind, code, value, length); };
    connect(ObdPort, &TObd::statusChanged, this, &TForm1::showObdStatus);
    connect(ObdPort, &TObd::pidGridChanged, this, &TForm1::showObdPids);
    connect(ObdPort, &TObd::codeBoxChanged, this, &TForm1::showObdCodes);
}

void TForm1::showObdStatus()
{
    StringGrid* g = StringGridElm;
    if (!g || !ObdPort) return;
    // Laid out once the reader reports first: labels in a 40-pixel column, the texts beside them.
    if (g->cell(0, 0).isEmpty()) {
        g->setDefaultColWidth(40);
        g->setColWidth(1, g->width() - 40 - 10);
        g->setFixedHeight(ObdPanels::RowCount * g->defaultRowHeight() + 2);
        for (int r = 0; r < ObdPanels::RowCount; ++r) g->setCell(0, r, QLatin1String(ObdPanels::kLabels[r]));
    }
    for (int r = 0; r < ObdPanels::RowCount; ++r)
        if (g->cell(1, r) != ObdPort->panels.status[r]) g->setCell(1, r, ObdPort->panels.status[r]);
}

void TForm1::showObdPids()
{
    StringGrid* g = StringGridPid;
    if (!g || !ObdPort) return;
    const QVector<pid>& pidy = ObdPort->pidy;
    if (g->rowCount() != pidy.size()) {
        g->setRowCount(int(pidy.size()));
        g->setDefaultColWidth(70);
        g->setColWidth(0, 20);
        g->setColWidth(1, 20);
        g->setColWidth(2, 200);
    }
    const auto put = [g](int c, int r, const QString& text) {
        if (g->cell(c, r) != text) g->setCell(c, r, text);
    };
    for (int i = 0; i < pidy.size(); ++i) {
        const int r = pidy[i].gridRow;
        put(0, r, QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')).toUpper());
        put(1, r, ObdPort->PidMark(i));
        put(2, r, pidy[i].name);
        put(3, r, pidy[i].shortName);
        put(4, r, r < ObdPort->panels.pidValues.size() ? ObdPort->panels.pidValues[r] : QString());
    }
    g->viewport()->update();  // the marks' colours follow the selection
}

void TForm1::showObdCodes()
{
    if (!RichEditDtc || !ObdPort) return;
    const QVector<ObdPanels::CodeLine>& lines = ObdPort->panels.codeBox;
    if (lines.size() < codeLinesShown_) {
        codeLinesShown_ = 0;
        RichEditDtc->clear();
    }
    for (; codeLinesShown_ < lines.size(); ++codeLinesShown_) {
        const ObdPanels::CodeLine& line = lines[codeLinesShown_];
        RichEditDtc->setTextColor(line.defaultColour ? palette.text : fromTColor(line.colour));
        RichEditDtc->append(line.text);
    }
}

void TForm1::RichEditDtcChange()
{
    RichEditDtc->moveCursor(QTextCursor::End);
    RichEditDtc->verticalScrollBar()->setValue(RichEditDtc->verticalScrollBar()->maximum());
}

void TForm1::RichEditDtcDblClick()
{
    if (ObdPort) ObdPort->ClearCodeBox();
    codeLinesShown_ = 0;
    RichEditDtc->clear();
}

void TForm1::SpeedButton41Click(int tab)
{
    (tab == 0 ? SpeedButton41 : SpeedButton42)->setChecked(true);
    setTabColour(SpeedButton41, tab == 0 ? palette.active : QApplication::palette().color(QPalette::WindowText));
    setTabColour(SpeedButton42, tab == 1 ? palette.active : QApplication::palette().color(QPalette::WindowText));
    RichEditDtc->setVisible(tab == 0);
    StringGridPid->setVisible(tab == 1);
    if (tab == 0) RichEditDtcDblClick();
}

// Page 0 shows the reader's whole panel; pages 1 and 2 only the trouble-code box, emptied.
void TForm1::applyObdPage(int page)
{
    const bool full = page == 0;
    PanelObdTabs->setVisible(full);
    StringGridElm->setVisible(full);
    if (full) {
        SpeedButton41Click(SpeedButton42->isChecked() ? 1 : 0);
    } else {
        StringGridPid->hide();
        RichEditDtc->show();
        RichEditDtcDblClick();
    }
}
