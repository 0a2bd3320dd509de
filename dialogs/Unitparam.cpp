#include "dialogs/Unitparam.h"

#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QStyledItemDelegate>
#include <QtWidgets/QTableWidget>

#include "base/TextTable.h"
#include "link/Tsterownik.h"

namespace {

// Draws the grid's cells: a check box in column 0, the channel's name in column 1.
class ParamDelegate : public QStyledItemDelegate {
public:
    explicit ParamDelegate(TFormParam* form) : QStyledItemDelegate(form), form_(form) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect;
        const ThemePalette& t = form_->theme();
        const QPalette& pal = form_->palette();
        p->save();
        p->fillRect(r, pal.color(QPalette::Window));
        const QString text = index.data().toString();
        if (index.column() == 0) {
            const QRect box = r.adjusted(2, 2, -2, -2);
            p->setPen(t.text.isValid() ? t.text : pal.color(QPalette::Text));
            p->setBrush(t.field.isValid() ? t.field : pal.color(QPalette::Base));
            p->drawRect(box.adjusted(0, 0, -1, -1));
            if (!text.isEmpty()) {
                const int R = r.right() + 1;
                const int T = r.top();
                const int m = (TFormParam::kRowHeight - 14) / 2;
                QPen tick(QColor(0, 128, 0), 3);
                p->setPen(tick);
                const QPoint pts[3] = {{R - 17, T + m + 6}, {R - 12, T + m + 12}, {R - 5, T + m - 1}};
                p->drawPolyline(pts, 3);
            }
        } else {
            p->setPen(pal.color(QPalette::WindowText));
            const int h = p->fontMetrics().boundingRect(QStringLiteral("1,")).height();
            p->drawText(QRect(r.left() + 2, r.top() + (r.height() - h) / 2, r.width() - 2, h),
                        Qt::AlignLeft | Qt::AlignVCenter, text);
        }
        p->restore();
    }

private:
    TFormParam* form_;
};

}  // namespace

TFormParam::TFormParam(QWidget* parent, WorkshopSession* session) : EditorDialog(parent, session)
{
    setObjectName(QStringLiteral("FormParam"));
    // Sizeable, with the system menu only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setMinimumSize(160, kRowHeight);
    resize(kClientWidth, kClientHeight);
    StringGrid1 = new QTableWidget(0, 2, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setShowGrid(false);
    StringGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setFrameShape(QFrame::NoFrame);
    StringGrid1->verticalHeader()->setDefaultSectionSize(kRowHeight + 1);
    StringGrid1->verticalHeader()->setMinimumSectionSize(kRowHeight);
    StringGrid1->setColumnWidth(0, 24);
    StringGrid1->setItemDelegate(new ParamDelegate(this));
    StringGrid1->viewport()->installEventFilter(this);
    StringGrid1->installEventFilter(this);
}

void TFormParam::Relabel() { setWindowTitle(QStringLiteral("KAVELO - ") + TextById(1230)); }

bool TFormParam::FormShow()
{
    if (!Sterownik) return false;
    // Beside the columns the grid shows the dialog's background, as its cells do.
    QPalette p = StringGrid1->palette();
    p.setColor(QPalette::Base, palette().color(QPalette::Window));
    StringGrid1->setPalette(p);
    Refresh();
    StringGrid1->setFocus();
    return true;
}

void TFormParam::Refresh()
{
    if (!Sterownik) return;
    const int n = Sterownik->PodajIleParamBiez(kOfferedFlag);
    StringGrid1->setRowCount(n);
    for (int r = 0; r < n; ++r) {
        const int k = Sterownik->PodajPozycje(kOfferedFlag, r);
        const TWykres& w = Sterownik->channels()[k];
        const QString tick = (w.flags & kShownFlag) ? QStringLiteral("V") : QString();
        const QString name = QLatin1Char(' ') + TextById(w.id);
        for (int c = 0; c < 2; ++c) {
            if (!StringGrid1->item(r, c)) StringGrid1->setItem(r, c, new QTableWidgetItem);
            StringGrid1->item(r, c)->setText(c == 0 ? tick : name);
        }
        StringGrid1->setRowHeight(r, kRowHeight + 1);
    }
    if (StringGrid1->currentColumn() != 0 && n > 0)
        StringGrid1->setCurrentCell(std::max(0, StringGrid1->currentRow()), 0);
    resize(width(), std::max(kRowHeight, n * (kRowHeight + 1)));
}

void TFormParam::Toggle(int row)
{
    if (!Sterownik || row < 0 || row >= Sterownik->PodajIleParamBiez(kOfferedFlag)) return;
    const int k = Sterownik->PodajPozycje(kOfferedFlag, row);
    if (k < 0 || k >= Sterownik->channels().size()) return;
    Sterownik->toggleChannelShown(k, kShownFlag);
    Refresh();
}

void TFormParam::FormResize()
{
    StringGrid1->setGeometry(rect());
    StringGrid1->setColumnWidth(1, std::max(0, StringGrid1->width() - StringGrid1->columnWidth(0) - 32));
}

void TFormParam::resizeEvent(QResizeEvent* event)
{
    EditorDialog::resizeEvent(event);
    FormResize();
}

bool TFormParam::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == StringGrid1->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* m = static_cast<QMouseEvent*>(event);
        const int row = StringGrid1->rowAt(m->position().toPoint().y());
        if (row >= 0) StringGrid1->setCurrentCell(row, 0);
        Toggle(row);
        return true;
    }
    if (watched == StringGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Toggle(StringGrid1->currentRow());
            return true;
        }
    }
    return EditorDialog::eventFilter(watched, event);
}
