#include "charts/Tgrafika.h"

#include <QtGui/QKeyEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>

#include <algorithm>
#include <cstring>

TGrafika* Grafika = nullptr;

TGrafika::TGrafika(QWidget* owner) : QWidget(owner)
{
    Grafika = this;
    setObjectName(QStringLiteral("Grafika"));
    // Every pixel comes from the frame image: no background erase under it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    palette_ = ComputePalette(0, SystemColours::fromPalette(QApplication::palette()));
    views_ = ChartViews::Create();
    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &TGrafika::RefreshTick);
    timer_->start();
    hide();
}

TGrafika::~TGrafika()
{
    timer_->stop();
    if (focusBox_) {
        focusBox_->removeEventFilter(this);
        delete focusBox_;
    }
    views_ = {};
    if (Grafika == this) Grafika = nullptr;
}

ChartView* TGrafika::viewAt(int view) const
{
    return view >= 0 && view < ChartViews::kCount ? views_[view].get() : nullptr;
}

ChartView* TGrafika::currentView() const { return viewAt(view_); }

// ---------------------------------------------------------------- placement and views

void TGrafika::AttachToPanel(QWidget* panel)
{
    if (parentWidget()) parentWidget()->removeEventFilter(this);
    const bool wasHidden = isHidden();
    setParent(panel);
    setVisible(!wasHidden);
    if (!panel) return;
    panel->installEventFilter(this);
    setGeometry(panel->rect());
    if (!focusBox_) {
        focusBox_ = new QLineEdit(panel);
        focusBox_->setObjectName(QStringLiteral("GrafikaFocus"));
        focusBox_->setFocusPolicy(Qt::StrongFocus);
        focusBox_->installEventFilter(this);
    } else {
        focusBox_->setParent(panel);
    }
    parkFocusBox();
    focusBox_->show();
}

void TGrafika::parkFocusBox()
{
    if (focusBox_) focusBox_->setGeometry(x() - 2, y() - 2, 1, focusBox_->sizeHint().height());
}

void TGrafika::SetView(int view)
{
    if (view != -1 && !viewAt(view)) view = -1;
    const int previous = view_;
    view_ = view;
    for (int i = 0; i < ChartViews::kCount; ++i)
        if (views_[i] && i != view) views_[i]->leave(*this, view);
    (void)previous;
    if (ChartView* v = currentView()) v->selected(*this);
    BuildBackground();
    Render();
}

void TGrafika::HideChart()
{
    for (const auto& v : views_)
        if (v) v->leave(*this, kHidden);
    parkFocusBox();
    hide();
}

void TGrafika::SetViewLevel(int level)
{
    viewLevel_ = level;
    Rebuild();
}

void TGrafika::Rebuild()
{
    BuildBackground();
    Render();
}

void TGrafika::ClearCorrection()
{
    if (ChartView* v = currentView()) v->clearCorrection(*this);
}

void TGrafika::setThemePalette(const ThemePalette& palette) { palette_ = palette; }

void TGrafika::applyColours(const ThemePalette& palette)
{
    setThemePalette(palette);
    if (isVisible()) Rebuild();
}

// ---------------------------------------------------------------- background and render

QFont TGrafika::chartFont() const
{
    QFont f = font();
    f.setPointSize(8);
    f.setBold(false);
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    return f;
}

void TGrafika::BuildBackground()
{
    ChartView* v = currentView();
    plot_ = ChartLayout::plotFor(width(), height(), v ? v->plotMargin() : ChartLayout::kMarginNormal);
    const QSize size(std::max(1, width()), std::max(1, height()));
    if (background_.size() != size) {
        background_ = QImage(size, QImage::Format_RGB32);
        frame_ = QImage(size, QImage::Format_RGB32);
    }
    background_.fill(palette_.background);
    frameHoldsBackground_ = false;
    if (!v) return;
    QPainter p(&background_);
    p.setFont(chartFont());
    p.setPen(QPen(palette_.text, 1));
    if (v->isPlotView()) {
        parkFocusBox();
        // A plot of less than a pixel gets the background only.
        if (!plot_.usable()) return;
        drawPlotFrame(p);
    }
    p.setFont(chartFont());
    p.setPen(QPen(palette_.text, 1));
    p.setBrush(Qt::NoBrush);
    v->buildBackground(*this, p);
}

void TGrafika::drawPlotFrame(QPainter& p)
{
    const ChartColours& c = palette_.chart;
    const ChartLayout::Box b = ChartLayout::frameBox(plot_);
    p.setPen(QPen(c.plotBorder, 1));
    p.setBrush(c.plotBackground);
    p.drawRect(b.x1, b.y1, b.x2 - b.x1 - 1, b.y2 - b.y1 - 1);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c.grid, 1, Qt::DotLine));
    for (int k = 1; k <= 9; ++k) {
        const int y = ChartLayout::gridLineY(plot_, k);
        p.drawLine(plot_.left, y, plot_.right(), y);
    }
}

void TGrafika::Render()
{
    if (!isVisible() || busy_) return;
    busy_ = true;
    ++renderCount;
    if (background_.size() != size() || background_.isNull()) BuildBackground();
    ChartView* v = currentView();
    // A view that draws nothing on the frame (the tables: their cells are widgets of their own)
    // leaves it as the background, so the frame is copied and shown again only when the
    // background has changed since.
    const bool drawsOnFrame = !v || v->drawsOnFrame();
    const bool copy = drawsOnFrame || !frameHoldsBackground_;
    if (copy) {
        // One copy into the frame kept from render to render: no allocation per render.
        std::memcpy(frame_.bits(), background_.constBits(), size_t(background_.sizeInBytes()));
        frameHoldsBackground_ = !drawsOnFrame;
    }
    if (v && (!v->isPlotView() || plot_.usable())) {
        QPainter p(&frame_);
        p.setFont(chartFont());
        p.setPen(QPen(palette_.text, 1, Qt::SolidLine));
        p.setBrush(Qt::NoBrush);
        v->render(*this, p);
    }
    if (copy) {
        // The copy to the screen erases the cursor.
        cursorX_ = -1;
        cursorY_ = -1;
        update();
    }
    busy_ = false;
}

void TGrafika::RefreshTick()
{
    timer_->setInterval(1000);
    if (ChartView* v = currentView()) v->refreshTick(*this);
    Render();
}

void TGrafika::ShortenNextRefresh() { timer_->start(100); }

// ---------------------------------------------------------------- screen

void TGrafika::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    if (frame_.isNull()) {
        p.fillRect(event->rect(), palette_.background);
        return;
    }
    for (const QRect& r : event->region()) {
        if (r.width() == 1) paintColumn(p, r.x(), r.top(), r.bottom(), 0, -1);
        else p.drawImage(r, frame_, r);
    }
    if (cursorX_ < 0) return;
    // The cursor in exclusive-or, as it always looked: visible on any colour under it. The XOR is
    // done here on the frame's pixels; where the two lines cross the pixel is inverted twice.
    const QRgb xorMask = palette_.chart.cursor.rgb() & 0x00FFFFFF;
    const int x = cursorX_, top = std::max(0, plot_.top()), bottom = std::min(frame_.height() - 1, plot_.bottom);
    const bool across = cursorY_ >= top && cursorY_ <= bottom;
    if (x < frame_.width()) paintColumn(p, x, top, bottom, xorMask, across ? cursorY_ : -1);
    if (cursorY_ >= 0 && cursorY_ < frame_.height()) {
        const int left = std::max(0, plot_.left), right = std::min(frame_.width() - 1, plot_.right());
        if (right < left) return;
        if (hStrip_.width() != right - left + 1) hStrip_ = QImage(right - left + 1, 1, QImage::Format_RGB32);
        const QRgb* under = reinterpret_cast<const QRgb*>(frame_.constScanLine(cursorY_));
        QRgb* out = reinterpret_cast<QRgb*>(hStrip_.scanLine(0));
        for (int i = left; i <= right; ++i) out[i - left] = i == x && across ? under[i] : under[i] ^ xorMask;
        p.drawImage(left, cursorY_, hStrip_);
    }
}

// One pixel column of the frame, its pixels XORed with `xorMask` except at row `keepY`, painted as
// runs of one colour: a column drawn as an image would be blended pixel row by pixel row.
void TGrafika::paintColumn(QPainter& p, int x, int top, int bottom, QRgb xorMask, int keepY)
{
    if (x < 0 || x >= frame_.width()) return;
    top = std::max(top, 0);
    bottom = std::min(bottom, frame_.height() - 1);
    const auto pixel = [&](int y) {
        const QRgb under = reinterpret_cast<const QRgb*>(frame_.constScanLine(y))[x];
        return y == keepY ? under : under ^ xorMask;
    };
    int start = top;
    while (start <= bottom) {
        const QRgb colour = pixel(start);
        int end = start + 1;
        while (end <= bottom && pixel(end) == colour) ++end;
        p.fillRect(x, start, 1, end - start, QColor::fromRgb(colour));
        start = end;
    }
}

QRegion TGrafika::cursorRegion(int x, int y) const
{
    if (x < 0) return {};
    QRegion r(x, plot_.top(), 1, plot_.height + 1);
    if (y >= 0) r += QRect(plot_.left, y, plot_.width + 1, 1);
    return r;
}

void TGrafika::MoveCursor(int x, int y)
{
    if (x == cursorX_ && y == cursorY_) return;
    const QRegion dirty = cursorRegion(cursorX_, cursorY_) + cursorRegion(x, y);
    cursorX_ = x;
    cursorY_ = x < 0 ? -1 : y;
    update(dirty);
}

void TGrafika::ShowLiveData(const LiveFrame& frame)
{
    if (!isVisible()) return;
    ChartView* v = currentView();
    if (!v) return;
    if (v->isPlotView() && !plot_.usable()) return;
    v->liveData(*this, frame);
}

void TGrafika::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    parkFocusBox();
    Render();
}

void TGrafika::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Render();
}

// ---------------------------------------------------------------- mouse, keys, focus

void TGrafika::mousePressEvent(QMouseEvent* event)
{
    ChartView* v = currentView();
    const bool usable = v && (!v->isPlotView() || plot_.usable());
    if (usable) v->mousePress(*this, event->position().toPoint(), event->button());
    QWidget::mousePressEvent(event);
}

void TGrafika::KeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (!isVisible()) return;
    if (ChartView* v = currentView()) v->keyDown(*this, key, shift);
}

void TGrafika::FocusChart()
{
    if (focusBox_ && focusBox_->isVisible() && !focusBox_->hasFocus()) focusBox_->setFocus(Qt::MouseFocusReason);
}

bool TGrafika::hasChartFocus() const { return focusBox_ && focusBox_->hasFocus(); }

bool TGrafika::editingInPlace() const
{
    const ChartView* v = currentView();
    return hasChartFocus() && v && v->focusBoxEditing(*this);
}

void TGrafika::Beep()
{
    ++beepCount;
    QApplication::beep();
}

bool TGrafika::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
    } else if (watched == focusBox_) {
        switch (event->type()) {
            case QEvent::KeyPress: {
                // The main window has already handed the key to KeyDown; the box itself only
                // types while a view edits in it.
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key == Qt::Key_Tab || key == Qt::Key_Backtab) break;
                const ChartView* v = currentView();
                if (!v || !v->focusBoxEditing(*this)) return true;
                break;
            }
            case QEvent::FocusIn:
            case QEvent::FocusOut:
                // Nodes and points are drawn differently while the chart has the focus.
                Render();
                break;
            default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- drawing helpers

void TGrafika::drawTextAt(QPainter& p, int x, int y, const QString& text)
{
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), text);
}

void TGrafika::drawTextRightAt(QPainter& p, int x, int y, const QString& text)
{
    drawTextAt(p, x - p.fontMetrics().horizontalAdvance(text), y, text);
}

void TGrafika::drawXTick(QPainter& p, int x, const QString& label) const
{
    const QPen keep = p.pen();
    p.setPen(QPen(palette_.chart.grid, 1));
    p.drawLine(x, plot_.bottom, x, plot_.bottom + 6);
    p.setPen(QPen(palette_.text, 1));
    drawTextAt(p, x - 4, plot_.bottom + 6, label);
    p.setPen(keep);
}

void TGrafika::drawXCaption(QPainter& p, const QString& caption) const
{
    const QPen keep = p.pen();
    p.setPen(QPen(palette_.text, 1));
    drawTextAt(p, (width() - p.fontMetrics().horizontalAdvance(caption)) / 2, plot_.bottom + 20, caption);
    p.setPen(keep);
}

void TGrafika::drawYCaption(QPainter& p, int x, const QString& caption) const
{
    const QPen keep = p.pen();
    p.setPen(QPen(palette_.text, 1));
    const int y = ChartLayout::rotatedCaptionY(plot_, p.fontMetrics().horizontalAdvance(caption));
    p.save();
    p.translate(x, y);
    p.rotate(-90);
    // The glyphs' tops face the left edge at x, the text reads upward from y.
    p.drawText(QPoint(0, p.fontMetrics().ascent()), caption);
    p.restore();
    p.setPen(keep);
}
