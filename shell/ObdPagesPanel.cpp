// The OBD reader's panel in the main window: the trouble-code box, the PID grid and the adapter
// status grid, filled from the reader's panel data; what the OBD tab's pages show of it.
#include "shell/ObdPagesPanel.h"

#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QTextCursor>
#include <QtWidgets/QApplication>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QToolTip>

#include "base/TextTable.h"
#include "obd/Telmobd.h"
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

// Shows `tip(row)` over column 1 of the watched grid's viewport; nothing where it is empty.
class StatusTipWatch : public QObject {
public:
    StatusTipWatch(StringGrid* grid, std::function<QString(int row)> tip)
        : QObject(grid), grid_(grid), tip_(std::move(tip))
    {
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip) return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        const int row = grid_->columnAt(help->pos().x()) == 1 ? grid_->rowAt(help->pos().y()) : -1;
        const QString text = row >= 0 ? tip_(row) : QString();
        if (text.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), text, grid_->viewport());
        return true;
    }

private:
    StringGrid* grid_;
    std::function<QString(int row)> tip_;
};

QColor fromTColor(TColor c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

void setTabColour(QToolButton* button, const QColor& colour)
{
    QPalette p = button->palette();
    p.setColor(QPalette::ButtonText, colour);
    button->setPalette(p);
}

}  // namespace

ObdPagesPanel::ObdPagesPanel(TObd& obd, QWidget* parent) : QWidget(parent), obd_(&obd)
{
    setObjectName(QStringLiteral("PanelObd"));
    setAutoFillBackground(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto* left = new QVBoxLayout;
    left->setSpacing(0);
    row->addLayout(left, 1);

    PanelObdTabs_ = new QWidget(this);
    PanelObdTabs_->setObjectName(QStringLiteral("PanelObdTabs"));
    auto* tabs = new QHBoxLayout(PanelObdTabs_);
    tabs->setContentsMargins(0, 0, 0, 0);
    tabs->setSpacing(0);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        auto* b = new QToolButton(PanelObdTabs_);
        b->setObjectName(QStringLiteral("SpeedButton4%1").arg(i + 1));
        b->setCheckable(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumWidth(90);
        group->addButton(b, i);
        tabs->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, i] { SpeedButton41Click(i); });
        (i == 0 ? SpeedButton41_ : SpeedButton42_) = b;
    }
    SpeedButton41_->setChecked(true);
    SpeedButton42_->setText(QStringLiteral("PID"));
    tabs->addStretch(1);
    left->addWidget(PanelObdTabs_);

    RichEditDtc_ = new QTextEdit(this);
    RichEditDtc_->setObjectName(QStringLiteral("RichEditDtc"));
    RichEditDtc_->setReadOnly(true);
    RichEditDtc_->viewport()->installEventFilter(new DoubleClickWatch(RichEditDtc_, [this] { RichEditDtcDblClick(); }));
    connect(RichEditDtc_, &QTextEdit::textChanged, this, &ObdPagesPanel::RichEditDtcChange);
    left->addWidget(RichEditDtc_, 1);

    StringGrid* pids = StringGridPid_ = new StringGrid(this);
    pids->setObjectName(QStringLiteral("StringGridPid"));
    pids->setColCount(5);
    pids->setLineGap(1);
    pids->setFocusPolicy(Qt::StrongFocus);
    pids->onDrawCell = [this, pids](QPainter& p, int c, int r, const QRect& rect) {
        p.fillRect(rect, palette_.field);
        const bool unsupported = obd_ && r < obd_->pidy.size() && !obd_->pidy[r].supported;
        const bool selected = obd_ && r < obd_->pidy.size() && obd_->pidy[r].selected;
        p.setPen(unsupported ? kUnsupported : c == 1 && selected ? kSelected : palette_.text);
        p.setFont(pids->font());
        p.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, pids->cell(c, r));
    };
    const auto toggle = [this, pids] {
        if (obd_) obd_->PrzelaczPid(pids->row);
    };
    pids->onClick = [pids, toggle] {
        if (pids->col == 1) toggle();
    };
    pids->onDblClick = [pids, toggle] {
        if (pids->hit && pids->col != 1) toggle();
    };
    pids->onKeyDown = [toggle](int key) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) toggle();
    };
    pids->hide();
    left->addWidget(pids, 1);

    StringGrid* status = StringGridElm_ = new StringGrid(this);
    status->setObjectName(QStringLiteral("StringGridElm"));
    status->setFixedWidth(189);
    status->setColCount(2);
    status->setRowCount(ObdPanels::RowCount);
    status->setLineGap(0);
    status->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    status->setFocusPolicy(Qt::NoFocus);
    status->onDrawCell = [this, status](QPainter& p, int c, int r, const QRect& rect) {
        p.fillRect(rect, palette_.field);
        p.setPen(palette_.text);
        p.setFont(status->font());
        p.drawText(rect.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, status->cell(c, r));
    };
    // The reader's fixed Polish texts stay as they are; the tooltip says them in the window's language.
    status->viewport()->installEventFilter(new StatusTipWatch(status, [this](int r) { return statusTip(r); }));
    auto* right = new QVBoxLayout;
    right->addWidget(status);
    right->addStretch(1);
    row->addLayout(right);

    connect(&obd, &TObd::statusChanged, this, &ObdPagesPanel::showStatus);
    connect(&obd, &TObd::pidGridChanged, this, &ObdPagesPanel::showPids);
    connect(&obd, &TObd::codeBoxChanged, this, &ObdPagesPanel::showCodes);
}

void ObdPagesPanel::relabel() { SpeedButton41_->setText(TextById(1232)); }

void ObdPagesPanel::applyColours(const ThemePalette& palette)
{
    palette_ = palette;
    QPalette own = this->palette();
    own.setColor(QPalette::Window, palette.background);
    own.setColor(QPalette::WindowText, palette.text);
    setPalette(own);
    for (StringGrid* g : {StringGridElm_, StringGridPid_}) g->setCellColours(palette.background, palette.text);
    QPalette p = RichEditDtc_->palette();
    p.setColor(QPalette::Base, palette.field);
    p.setColor(QPalette::Text, palette.text);
    RichEditDtc_->setPalette(p);
}

void ObdPagesPanel::showStatus()
{
    StringGrid* g = StringGridElm_;
    if (!obd_) return;
    // Laid out once the reader reports first: labels in a 40-pixel column, the texts beside them.
    if (g->cell(0, 0).isEmpty()) {
        g->setDefaultColWidth(40);
        g->setColWidth(1, g->width() - 40 - 10);
        g->setFixedHeight(ObdPanels::RowCount * g->defaultRowHeight() + 2);
        for (int r = 0; r < ObdPanels::RowCount; ++r) g->setCell(0, r, QLatin1String(ObdPanels::kLabels[r]));
    }
    for (int r = 0; r < ObdPanels::RowCount; ++r)
        if (g->cell(1, r) != obd_->panels.status[r]) g->setCell(1, r, obd_->panels.status[r]);
}

QString ObdPagesPanel::statusTip(int row) const
{
    if (!obd_ || row < 0 || row >= ObdPanels::RowCount) return {};
    const QString& text = obd_->panels.status[static_cast<size_t>(row)];
    const QString said = ObdPanels::inLanguage(text, programLanguage());
    return said == text ? QString() : said;
}

void ObdPagesPanel::showPids()
{
    StringGrid* g = StringGridPid_;
    if (!obd_) return;
    const QVector<pid>& pidy = obd_->pidy;
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
        put(1, r, obd_->PidMark(i));
        put(2, r, pidy[i].name);
        put(3, r, pidy[i].shortName);
        put(4, r, r < obd_->panels.pidValues.size() ? obd_->panels.pidValues[r] : QString());
    }
    g->viewport()->update();  // the marks' colours follow the selection
}

void ObdPagesPanel::showCodes()
{
    if (!obd_) return;
    const QVector<ObdPanels::CodeLine>& lines = obd_->panels.codeBox;
    if (lines.size() < codeLinesShown_) {
        codeLinesShown_ = 0;
        RichEditDtc_->clear();
    }
    for (; codeLinesShown_ < lines.size(); ++codeLinesShown_) {
        const ObdPanels::CodeLine& line = lines[codeLinesShown_];
        RichEditDtc_->setTextColor(line.defaultColour ? palette_.text : fromTColor(line.colour));
        RichEditDtc_->append(line.text);
    }
}

void ObdPagesPanel::RichEditDtcChange()
{
    RichEditDtc_->moveCursor(QTextCursor::End);
    RichEditDtc_->verticalScrollBar()->setValue(RichEditDtc_->verticalScrollBar()->maximum());
}

void ObdPagesPanel::RichEditDtcDblClick()
{
    if (obd_) obd_->ClearCodeBox();
    codeLinesShown_ = 0;
    RichEditDtc_->clear();
}

void ObdPagesPanel::SpeedButton41Click(int tab)
{
    (tab == 0 ? SpeedButton41_ : SpeedButton42_)->setChecked(true);
    const QColor normal = QApplication::palette().color(QPalette::WindowText);
    setTabColour(SpeedButton41_, tab == 0 ? palette_.active : normal);
    setTabColour(SpeedButton42_, tab == 1 ? palette_.active : normal);
    RichEditDtc_->setVisible(tab == 0);
    StringGridPid_->setVisible(tab == 1);
    if (tab == 0) RichEditDtcDblClick();
}

void ObdPagesPanel::showPage(int page)
{
    show();
    applyPage(page);
}

// Page 0 shows the reader's whole panel; pages 1 and 2 only the trouble-code box, emptied.
void ObdPagesPanel::applyPage(int page)
{
    const bool full = page == 0;
    PanelObdTabs_->setVisible(full);
    StringGridElm_->setVisible(full);
    if (full) {
        SpeedButton41Click(SpeedButton42_->isChecked() ? 1 : 0);
    } else {
        StringGridPid_->hide();
        RichEditDtc_->show();
        RichEditDtcDblClick();
    }
}
