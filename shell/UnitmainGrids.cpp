// The main window's live grids: readings and injection times in the right panel (with the
// gas-injector switches and the protocol picture) and the oscilloscope channel list on the left.
#include <QtCore/QLocale>
#include <QtGui/QPainter>
#include <QtGui/QResizeEvent>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QColorDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>

#include "link/Tsterownik.h"
#include "shell/GridLayout.h"
#include "shell/LivePanels.h"
#include "shell/ProtocolPicture.h"
#include "shell/Unitmain.h"
#include "ui/StringGrid.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 160, 0);
const QColor kTick(0, 128, 0);

// The injection-time grid asks the right panel for the height of all its rows, so that every
// cylinder shows while there is room; only a panel too low for them gives it less, and a scroll bar.
class InjectionGrid : public StringGrid {
public:
    using StringGrid::StringGrid;
    int wantedHeight = 0;
    QSize sizeHint() const override
    {
        const QSize base = StringGrid::sizeHint();
        return {base.width(), wantedHeight > 0 ? wantedHeight : base.height()};
    }
};

// Runs `action` whenever the watched widget is resized, or also shown.
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

void watchResize(QWidget* w, std::function<void()> action, bool onShow = false)
{
    w->installEventFilter(new ResizeWatch(w, std::move(action), onShow));
}

QFont sized(QFont f, int size, bool bold)
{
    f.setPointSize(std::max(1, size));
    f.setBold(bold);
    return f;
}

// Baseline of a line of text centred vertically in the cell by the font's text height.
int baselineCentred(const QFont& f, const QRect& r)
{
    const QFontMetrics m(f);
    return r.top() + (r.height() - m.height()) / 2 + m.ascent();
}

// Text drawn right-aligned `right` pixels inside the cell, centred vertically.
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

}  // namespace

// ---------------------------------------------------------------- building

void TForm1::buildRightGrids(QBoxLayout* column)
{
    StringGridParametry = new StringGrid(PanelRightBody);
    StringGridParametry->setObjectName(QStringLiteral("StringGridParametry"));
    StringGridParametry->setColCount(3);
    StringGridParametry->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGridParametry->onDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        drawReadingsCell(p, c, r, rect);
    };
    StringGridParametry->onDblClick = [this] {
        nameRepaint = nameRepaint ? 0 : 1;
        LayoutRightPanel();
    };
    column->addWidget(StringGridParametry);

    auto* head = new QHBoxLayout;
    head->setSpacing(0);
    head->addWidget(BanerCzasWtr, 1);
    BtnParamIng = new QToolButton(PanelRightBody);
    BtnParamIng->setObjectName(QStringLiteral("BtnParamIng"));
    BtnParamIng->setText(QStringLiteral("-"));
    BtnParamIng->setProperty("tag", 0);
    // The window's keys go to the window: a focused button would take Space and Enter as well.
    BtnParamIng->setFocusPolicy(Qt::NoFocus);
    BtnParamIng->hide();
    connect(BtnParamIng, &QToolButton::clicked, this, &TForm1::BtnParamIngClick);
    head->addWidget(BtnParamIng);
    column->addLayout(head);

    StringGridCzasyWtr = new InjectionGrid(PanelRightBody);
    StringGridCzasyWtr->setObjectName(QStringLiteral("StringGridCzasyWtr"));
    StringGridCzasyWtr->setColCount(4);
    StringGridCzasyWtr->setMinimumHeight(20);
    StringGridCzasyWtr->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    StringGridCzasyWtr->onDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        drawInjectionCell(p, c, r, rect);
    };
    StringGridCzasyWtr->onMouseDown = [this](Qt::MouseButton, const QPoint& pos) { injectionGridPressed(pos); };
    column->addWidget(StringGridCzasyWtr);
    watchResize(PanelRight, [this] { LayoutRightPanel(); });
}

void TForm1::buildChannelList(QBoxLayout* column)
{
    StringGrid1 = new StringGrid(PanelLeftBody);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setColCount(3);
    StringGrid1->setLineGap(0);
    StringGrid1->onDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) { drawChannelCell(p, c, r, rect); };
    StringGrid1->onMouseDown = [this](Qt::MouseButton, const QPoint& pos) { channelListPressed(pos); };
    column->addWidget(StringGrid1, 1);
    // Rebuilt whenever it comes into view (Calibration and Oscilloscope tabs) and when resized.
    watchResize(
        StringGrid1, [this] { FillChannelList(); }, true);
}

void TForm1::colourLivePanels()
{
    for (StringGrid* g : {StringGridParametry, StringGridCzasyWtr, StringGrid1}) {
        if (!g) continue;
        QPalette p = g->viewport()->palette();
        p.setColor(QPalette::Window, palette.background);
        p.setColor(QPalette::WindowText, palette.text);
        g->viewport()->setPalette(p);
        g->viewport()->update();
    }
    LayoutRightPanel();
}

// ---------------------------------------------------------------- layout

void TForm1::InitGrids()
{
    nameRepaint = 1;
    shownPetrol.fill(0.0001);
    shownGas.fill(0.0001);
    colourLivePanels();
}

void TForm1::LayoutRightPanel()
{
    if (PanelRightBody && Image2 && PanelRightBody->width() > 100) drawProtocolPicture();
    if (!Sterownik1 || !StringGridParametry) return;
    const int r = GridLayout::rowHeight(PanelRight->height());

    // Readings grid: one row per channel of the readings set. A changed set starts its values over.
    QVector<int> shown;
    for (int k = 0, n = Sterownik1->PodajIleParamBiez(32); k < n; ++k) shown << Sterownik1->PodajPozycje(32, k);
    StringGrid* g = StringGridParametry;
    if (shown != readingsShown_) {
        readingsShown_ = shown;
        g->setRowCount(int(shown.size()));
        g->clearCells();
        readingsCache_.reset(int(shown.size()));
    }
    const int width = g->width();
    const auto cols = GridLayout::readingsColumns(width);
    g->setColWidth(0, cols[0]);
    g->setColWidth(1, cols[1]);
    g->setColWidth(2, 0);
    g->setDefaultRowHeight(r);
    g->setFixedHeight(GridLayout::gridHeight(r, g->rowCount()));

    int widest = 0;
    const QFont base = g->font();
    const auto labelWidth = [&](int size) {
        widest = 0;
        const QFontMetrics m(sized(base, size, false));
        for (int c : shown) {
            const TWykres& w = Sterownik1->channels()[c];
            widest = std::max(widest, m.horizontalAdvance(TextById(w.id) + TextById(w.unit)));
        }
        return widest;
    };
    const auto tgHeight = [&](int size, bool bold) {
        return QFontMetrics(sized(base, size, bold)).boundingRect(QStringLiteral("Tg")).height();
    };
    nameFontSize = GridLayout::fitFontSize(20, 7, nameFontSize, cols[0], 4, r, labelWidth,
                                           [&](int s) { return tgHeight(s, false); });
    valueFontSize = GridLayout::fitFontSize(
        26, 7, valueFontSize, cols[1], 5, r,
        [&](int s) { return QFontMetrics(sized(base, s, true)).horizontalAdvance(QStringLiteral("88,88")); },
        [&](int s) { return tgHeight(s, true); });

    StringGrid* t = StringGridCzasyWtr;
    const int rows = GridLayout::injectorRows(Sterownik1->injectorCount, BtnParamIng->property("tag").toInt() == 1);
    t->setRowCount(rows);
    t->setDefaultRowHeight(r);
    const int wanted = GridLayout::gridHeight(r, rows);
    t->setMaximumHeight(wanted);
    if (auto* grid = dynamic_cast<InjectionGrid*>(t); grid && grid->wantedHeight != wanted) {
        grid->wantedHeight = wanted;
        grid->updateGeometry();
    }
    if (PanelRightBody->layout()) PanelRightBody->layout()->activate();
    const bool scrolling = t->height() < GridLayout::gridHeight(r, rows);
    const auto ic = GridLayout::injectionColumns(t->width(), scrolling);
    for (int c = 0; c < 4; ++c) t->setColWidth(c, ic[c]);
    g->viewport()->update();
    t->viewport()->update();
}

void TForm1::drawProtocolPicture()
{
    const int w = PanelRightBody->width() - Image1->width();
    const QImage c = ProtocolPicture::canvas(LivePanels::protocolPictureName(obdState), w + 91,
                                             palette.background.isValid() ? palette.background : QColor(Qt::white));
    Image2->setFixedSize(c.size());
    Image2->setPixmap(QPixmap::fromImage(c));
}

void TForm1::BtnParamIngClick()
{
    const bool collapse = BtnParamIng->property("tag").toInt() != 1;
    BtnParamIng->setProperty("tag", collapse ? 1 : 0);
    BtnParamIng->setText(collapse ? QStringLiteral("+") : QStringLiteral("-"));
    LayoutRightPanel();
}

// ---------------------------------------------------------------- live values

void TForm1::ShowReadings(const LiveFrame& frame)
{
    if (!Sterownik1) return;
    StringGrid* g = StringGridParametry;
    for (int k = 0; k < g->rowCount(); ++k) {
        if (!readingsCache_.changed(k, Sterownik1->StrParamBiez(kChannelReadings, k, frame))) continue;
        const QString& text = readingsCache_.text(k);
        g->setCell(1, k, text);
        if (nameRepaint == 1) g->repaintCell(0, k);
    }
}

void TForm1::ShowInjectionTimes(const uint8_t* frame)
{
    if (!Sterownik1) return;
    StringGrid* t = StringGridCzasyWtr;
    const int n = GridLayout::injectorRows(Sterownik1->injectorCount, BtnParamIng->property("tag").toInt() == 1);
    if (t->rowCount() != n) LayoutRightPanel();
    for (int r = 0; r < n; ++r) {
        const auto raw = GridLayout::injectionTimes(frame, r);
        const double petrol = raw[0] * 0.004;
        const double gas = raw[1] * 0.004;
        if (petrol != shownPetrol[r]) {
            shownPetrol[r] = petrol;
            t->setCell(1, r, QLocale().toString(petrol, 'f', 2));
        }
        if (gas != shownGas[r]) {
            shownGas[r] = gas;
            t->setCell(3, r, QLocale().toString(gas, 'f', 2));
        }
    }
}

// ---------------------------------------------------------------- drawing

void TForm1::drawReadingsCell(QPainter& p, int c, int r, const QRect& rect)
{
    if (!Sterownik1) return;
    const int ch = r < readingsShown_.size() ? readingsShown_[r] : -1;
    if (c == 0) {
        p.fillRect(rect, palette.lightShade);
        if (ch < 0) return;
        const TWykres& w = Sterownik1->channels()[ch];
        p.setFont(sized(StringGridParametry->font(), nameFontSize, false));
        p.setPen(palette.text);
        const int y = baselineCentred(p.font(), rect);
        p.drawText(rect.left() + 4, y, TextById(w.id));
        const QString unit = TextById(w.unit);
        p.drawText(rect.right() + 1 - 2 - QFontMetrics(p.font()).horizontalAdvance(unit), y, unit);
    } else if (c == 1) {
        p.fillRect(rect, palette.valueBackground);
        p.setFont(sized(StringGridParametry->font(), ch < 0 ? 10 : valueFontSize, true));
        p.setPen(palette.title);
        drawRight(p, rect, StringGridParametry->cell(1, r), 5);
    }
}

void TForm1::drawInjectionCell(QPainter& p, int c, int r, const QRect& rect)
{
    if (!Sterownik1) return;
    const uint8_t outputs = r < GridLayout::kMaxInjectors ? Sterownik1->mem.settings[32 + r] : 0;
    const int count = Sterownik1->injectorCount;
    StringGrid* t = StringGridCzasyWtr;
    if (c == 1 || c == 3) {
        if (outputs == 0) {
            p.fillRect(rect, palette.lightShade);
            return;
        }
        p.fillRect(rect, palette.valueBackground);
        p.setFont(sized(t->font(), valueFontSize, true));
        p.setPen(c == 1 ? kRed : kGreen);
        drawRight(p, rect, t->cell(c, r), 2);
        return;
    }
    p.fillRect(rect, palette.lightShade);
    if (c == 2 && outputs == 0) return;
    QFont f = sized(t->font(), nameFontSize, false);
    p.setPen(palette.text);
    if (c == 0) {
        p.setFont(f);
        p.drawText(rect, Qt::AlignCenter, QString::number(r + 1));
        return;
    }
    const QString numbers = GridLayout::outputNumbers(outputs, count);
    int x = rect.left() + (rect.width() - QFontMetrics(f).horizontalAdvance(numbers)) / 2 - 10;
    if (x < rect.left()) {
        x = rect.left();
        if (f.pointSize() > 9) f.setPointSize(f.pointSize() - 2);
    }
    p.setFont(f);
    p.drawText(x, baselineCentred(f, rect), numbers);
    // The gas-injector switch: 16 x 16, its right edge 2 pixels inside the cell.
    const QRect box(rect.right() + 1 - 2 - 16, rect.top() + (rect.height() - 16) / 2, 16, 16);
    p.setPen(palette.text);
    p.setBrush(palette.field);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    if (Sterownik1->injectorsEnabled() >> r & 1)
        drawTick(p, QPointF(box.left() + 2, box.top() + 6), QPointF(box.left() + 7, box.top() + 12),
                 QPointF(box.left() + 14, box.top() - 1));
}

void TForm1::injectionGridPressed(const QPoint& pos)
{
    if (!Sterownik1) return;
    StringGrid* t = StringGridCzasyWtr;
    const int c = t->columnAt(pos.x());
    const int r = t->rowAt(pos.y());
    if (c != 2 || r < 0) return;
    const uint8_t* s = Sterownik1->mem.settings.data();
    const uint8_t mask =
        GridLayout::switchedMask(Sterownik1->injectorsEnabled(), r, s[56], s[31], Sterownik1->injectorCount);
    if (GridLayout::clickedInjectors(r, s[56], Sterownik1->injectorCount) == 0) return;
    Sterownik1->switchInjectors(mask);
    t->viewport()->update();
}

// ---------------------------------------------------------------- channel list

void TForm1::FillChannelList()
{
    if (!Sterownik1 || !StringGrid1) return;
    StringGrid* g = StringGrid1;
    const int n = Sterownik1->PodajIleParamBiez(1);
    g->setRowCount(n);
    const int s = n == 0 ? 18 : std::clamp(g->height() / n, 18, 22);
    g->setDefaultColWidth(s);
    g->setDefaultRowHeight(s);
    g->setColWidth(2, g->width() - 2 * s - 4);
    for (int k = 0; k < n; ++k)
        g->setCell(2, k, QLatin1Char(' ') + TextById(Sterownik1->channels()[Sterownik1->PodajPozycje(1, k)].id));
}

void TForm1::drawChannelCell(QPainter& p, int c, int r, const QRect& rect)
{
    if (!Sterownik1) return;
    const int ch = Sterownik1->PodajPozycje(1, r);
    if (ch >= Sterownik1->channels().size()) return;
    const TWykres& w = Sterownik1->channels()[ch];
    const bool drawn = w.flags & 16;
    p.fillRect(rect, palette.background);
    p.setPen(palette.text);
    if (c == 0) {
        if (drawn) {
            p.setBrush(QColor((w.colour >> 16) & 0xFF, (w.colour >> 8) & 0xFF, w.colour & 0xFF));
            p.drawRect(rect.adjusted(2, 2, -3, -3));
        }
    } else if (c == 1) {
        p.setBrush(palette.field);
        p.drawRect(rect.adjusted(2, 2, -3, -3));
        if (drawn) {
            const int right = rect.right() + 1;
            const int y = rect.top() + (StringGrid1->defaultRowHeight() - 14) / 2;
            drawTick(p, QPointF(right - 17, y + 6), QPointF(right - 12, y + 12), QPointF(right - 5, y - 1));
        }
    } else {
        p.setFont(StringGrid1->font());
        p.drawText(rect.left() + 1, baselineCentred(p.font(), rect), StringGrid1->cell(2, r));
    }
}

void TForm1::channelListPressed(const QPoint& pos)
{
    if (!Sterownik1) return;
    StringGrid* g = StringGrid1;
    const int c = g->columnAt(pos.x());
    const int r = g->rowAt(pos.y());
    if (c < 0 || r < 0) return;
    const int ch = Sterownik1->PodajPozycje(1, r);
    if (ch >= Sterownik1->channels().size()) return;
    const TWykres& w = Sterownik1->channels()[ch];
    if (c == 0) {
        if (!(w.flags & kChannelDrawn)) return;
        const QColor initial((w.colour >> 16) & 0xFF, (w.colour >> 8) & 0xFF, w.colour & 0xFF);
        const QColor chosen = pickColour ? pickColour(initial) : QColorDialog::getColor(initial, this);
        if (chosen.isValid()) Sterownik1->setChannelColour(ch, Rgb(chosen.red(), chosen.green(), chosen.blue()));
    } else {
        Sterownik1->toggleChannelShown(ch, kChannelDrawn);
    }
    g->viewport()->update();
    if (scopeRedraw) scopeRedraw();
}
