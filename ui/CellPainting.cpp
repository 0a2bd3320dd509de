#include "ui/CellPainting.h"

#include <QtCore/QEvent>
#include <QtGui/QFontMetrics>
#include <QtGui/QPainter>
#include <QtWidgets/QWidget>

#include <algorithm>

namespace CellPainting {

namespace {

const QColor kTick(0, 128, 0);

class ResizeWatch : public QObject {
public:
    ResizeWatch(QObject* parent, std::function<void()> action, bool onShow)
        : QObject(parent), action_(std::move(action)), onShow_(onShow)
    {
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize || (onShow_ && event->type() == QEvent::Show)) action_();
        return false;
    }

private:
    std::function<void()> action_;
    bool onShow_;
};

}  // namespace

QFont sized(QFont f, int size, bool bold)
{
    f.setPointSize(std::max(1, size));
    f.setBold(bold);
    return f;
}

int baselineCentred(const QFont& f, const QRect& r)
{
    const QFontMetrics m(f);
    return r.top() + (r.height() - m.height()) / 2 + m.ascent();
}

void drawRight(QPainter& p, const QRect& r, const QString& text, int right)
{
    p.drawText(r.right() + 1 - right - QFontMetrics(p.font()).horizontalAdvance(text), baselineCentred(p.font(), r),
               text);
}

void drawTick(QPainter& p, QPointF a, QPointF b, QPointF c)
{
    p.setPen(QPen(kTick, 3));
    const QPointF pts[3] = {a, b, c};
    p.drawPolyline(pts, 3);
}

void watchResize(QWidget* w, std::function<void()> action, bool onShow)
{
    w->installEventFilter(new ResizeWatch(w, std::move(action), onShow));
}

}  // namespace CellPainting
