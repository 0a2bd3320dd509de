#include "charts/TableView.h"

#include <QtCore/QTimer>
#include <QtGui/QFontMetrics>
#include <QtGui/QKeyEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QLineEdit>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "charts/Tgrafika.h"
#include "link/Tsterownik.h"
#include "settings/NamedSettings.h"

using GridGeometry::Cell;
using namespace TableValues;

namespace {

constexpr QRgb kHeader = qRgb(225, 225, 225);
// The system's active-caption gradient and inactive-caption text colours, as the corner cell of
// every grid shows them.
constexpr QRgb kCornerBackground = qRgb(185, 209, 234);
constexpr QRgb kCornerText = qRgb(67, 78, 84);

// Region masks: the gas injection delays (view 6), the enrichment (view 7), the RPM corrections of
// both banks (read again after the load axis switched).
constexpr uint32_t kDelaysRegion = 0x1000;
constexpr uint32_t kEnrichmentRegion = 0x2000;
constexpr uint32_t kRpmCorrectionRegions = 0x8 | 0x10;

QFont sized(QFont f, int size)
{
    f.setPointSize(size);
    return f;
}

}  // namespace

TableView::TableView(int view, std::shared_ptr<TableGrids> grids)
    : view_(view), kind_(tableOfView(view)), grids_(std::move(grids))
{
}

int TableView::titleTextId() const { return view_ == 6 ? 1216 : view_ == 7 ? 1218 : 1211; }

bool TableView::timeAxis(const TGrafika& chart) const
{
    return hasMaps() && chart.link() && NamedSettings(*chart.link()).rpmCorrectionOverTime();
}

uint8_t* TableView::table(const TGrafika& chart) const
{
    if (!chart.link()) return nullptr;
    MemoryImage& m = chart.link()->mem;
    switch (kind_) {
        case Table::RpmCorrection: return m.block(MemoryImage::RpmCorrection1);
        case Table::Delay: return m.block(MemoryImage::GasInjectionDelay);
        case Table::Enrichment: return m.block(MemoryImage::Enrichment);
    }
    return nullptr;
}

void TableView::selected(TGrafika& chart)
{
    if (!chart.link()) return;
    if (view_ == 6) chart.link()->CzytajZeSterownika(kDelaysRegion);
    if (view_ == 7) chart.link()->CzytajZeSterownika(kEnrichmentRegion);
}

void TableView::leave(TGrafika& chart, int nextView)
{
    if (grids_->owner != view_) return;
    // A breakpoint being typed is dropped with the view that showed it.
    if (grids_->editedHeader.valid()) parkFocusBox(chart);
    // Another table view lays the grids out again itself; anything else hides them.
    const ChartView* next = chart.viewAt(nextView);
    if (nextView != TGrafika::kHidden && next && !next->isPlotView()) return;
    grids_->hide();
    grids_->editedHeader = {};
    grids_->owner = -1;
}

void TableView::createGrids(TGrafika& chart)
{
    QWidget* panel = chart.panel();
    if (!panel) return;
    if (!grids_->map && hasMaps()) {
        grids_->map = new TableGrid(panel);
        grids_->map->setObjectName(QStringLiteral("GrafikaMapGrid"));
        // The map grid shows; it never takes the focus.
        grids_->map->setFocusPolicy(Qt::NoFocus);
    }
    if (!grids_->axisReread) {
        grids_->axisReread = new QTimer(&chart);
        grids_->axisReread->setSingleShot(true);
        grids_->axisReread->setInterval(200);
        QObject::connect(grids_->axisReread, &QTimer::timeout, &chart, [this, &chart] { AxisSwitchReread(chart); });
    }
    if (!grids_->table) {
        grids_->table = new TableGrid(panel);
        grids_->table->setObjectName(QStringLiteral("GrafikaTableGrid"));
    }
}

void TableView::connectGrids(TGrafika& chart)
{
    grids_->owner = view_;
    TableGrid* t = grids_->table;
    t->onPress = [this, &chart](Cell cell, Qt::MouseButton) { tablePress(chart, cell); };
    t->onKey = [this, &chart](QKeyEvent* e) { return tableKey(chart, e); };
    t->onSelectionChanged = [this, &chart] { updateMirror(chart); };
    t->onFocusChanged = [this, &chart] { updateMirror(chart); };
    if (grids_->map) {
        grids_->map->onPress = [this, &chart](Cell cell, Qt::MouseButton) {
            if (hasMaps() && cell.column == 0 && cell.row == 0) nextMapView(chart);
        };
    }
    if (!boxConnected_ && chart.focusBox()) {
        boxConnected_ = true;
        QObject::connect(chart.focusBox(), &QLineEdit::returnPressed, chart.focusBox(), [this, &chart] {
            if (grids_->owner == view_ && grids_->editedHeader.valid()) commitHeader(chart);
        });
    }
}

void TableView::buildBackground(TGrafika& chart, QPainter& p)
{
    createGrids(chart);
    if (!grids_->table || !chart.link()) return;
    connectGrids(chart);
    const bool twoGrids = hasMaps() && chart.viewLevel() > 0;
    const GridGeometry::Layout g = GridGeometry::compute(chart.width(), chart.height(), chart.x(), chart.y(), twoGrids);
    const QString cornerText = timeAxis(chart)                                ? QStringLiteral("ms/rpm")
                               : NamedSettings(*chart.link()).loadIsVoltage() ? QStringLiteral("V/rpm")
                                                                              : QStringLiteral("bar/rpm");
    // Font sizes: the largest at which the texts fit their cells.
    const QFont face = grids_->table->font();
    const int zeroLimit = g.row - 1;
    const int cornerSize = GridGeometry::fitFontSize(25, 5, 4, [&](int size) {
        const QFontMetrics fm(sized(face, size));
        return fm.horizontalAdvance(cornerText) < g.column - 4 && fm.height() < zeroLimit;
    });
    const int bodySize = GridGeometry::fitFontSize(25, 5, 4, [&](int size) {
        const QFontMetrics fm(sized(face, size));
        return fm.horizontalAdvance(QStringLiteral("5000")) < g.column - 2 && fm.height() < zeroLimit;
    });
    const QColor lines = chart.chartColours().buttonBorder;
    const QColor fill = chart.backgroundColour();
    auto place = [&](TableGrid* grid, int top) {
        grid->setPitch(std::max(1, g.column), std::max(1, g.row));
        grid->setFontSizes(bodySize, cornerSize);
        grid->setLineColours(lines, fill);
        grid->setGeometry(g.left, top, std::max(1, g.width()), std::max(1, g.height()));
    };
    place(grids_->table, g.tableTop);
    grids_->table->setCell(0, 0, cornerText, kCornerBackground, kCornerText);
    if (grids_->map && hasMaps()) {
        place(grids_->map, g.mapTop);
        const QString petrol = TextById(1700), gas = TextById(1701);
        const QString mapCorner = grids_->mapView == 0   ? petrol.left(3)
                                  : grids_->mapView == 1 ? gas.left(3)
                                                         : petrol.left(1) + QStringLiteral("-") + gas.left(1);
        grids_->map->setCell(0, 0, mapCorner + QStringLiteral(" [F8]"), kCornerBackground, kCornerText);
    }
    fillHeaders(chart);
    fillTableBody(chart);
    if (grids_->map) {
        grids_->map->setVisible(twoGrids);
        if (twoGrids) grids_->map->raise();
    }
    grids_->table->show();
    grids_->table->raise();
    updateMirror(chart);
    if (twoGrids) drawTitles(chart, p);
    drawKeysHint(chart, p);
}

QString TableView::keysHint() const
{
    // + and - act on the live cell of the RPM correction table only (views 1 and 5).
    return TextById(hasMaps() ? OwnText::TableKeysLiveCell : OwnText::TableKeys);
}

QRect TableView::keysHintRect(const TGrafika& chart) const
{
    const bool twoGrids = hasMaps() && chart.viewLevel() > 0;
    const GridGeometry::Layout g = GridGeometry::compute(chart.width(), chart.height(), 0, 0, twoGrids);
    const int top = g.hintTop();
    return QRect(7, top, std::max(0, chart.width() - 14),
                 std::max(0, std::min(GridGeometry::kHintHeight, chart.height() - top)));
}

void TableView::drawKeysHint(TGrafika& chart, QPainter& p)
{
    const QString hint = keysHint();
    grids_->table->keysHint = hint;
    if (grids_->map) grids_->map->keysHint = hint;
    const QRect r = keysHintRect(chart);
    if (r.width() <= 0 || r.height() <= 0) return;
    // The line fits the strip: a narrow window first gets a smaller font, then an ending "…".
    QFont f = chart.chartFont();
    while (f.pointSize() > 6 &&
           (QFontMetrics(f).horizontalAdvance(hint) > r.width() || QFontMetrics(f).height() > r.height()))
        f.setPointSize(f.pointSize() - 1);
    p.save();
    p.setFont(f);
    p.setPen(chart.textColour());
    p.setClipRect(r);
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, QFontMetrics(f).elidedText(hint, Qt::ElideRight, r.width()));
    p.restore();
}

void TableView::fillHeaders(TGrafika& chart)
{
    const NamedSettings s(*chart.link());
    const bool voltage = hasMaps() && s.loadIsVoltage();
    const bool time = timeAxis(chart);
    for (int k = 1; k <= 16; ++k) {
        const QString rpm = rpmHeader(s.rpmBreakpoint(k - 1));
        grids_->table->setCell(k, 0, rpm, kHeader, qRgb(0, 0, 0));
        if (grids_->map && hasMaps()) grids_->map->setCell(k, 0, rpm, mapHeaderColour(grids_->mapView), qRgb(0, 0, 0));
    }
    for (int r = 1; r <= 16; ++r) {
        const int l = 16 - r;
        const QString load = loadHeader(s.loadBreakpoint(l), voltage);
        grids_->table->setCell(0, r, time ? timeBinHeader(l) : load, kHeader, qRgb(0, 0, 0));
        if (grids_->map && hasMaps()) grids_->map->setCell(0, r, load, mapHeaderColour(grids_->mapView), qRgb(0, 0, 0));
    }
}

void TableView::fillTableBody(TGrafika& chart)
{
    const uint8_t* t = table(chart);
    if (!t || !grids_->table) return;
    for (int k = 1; k <= 16; ++k)
        for (int r = 1; r <= 16; ++r) {
            const int v = t[GridGeometry::tableIndex(k, r)];
            grids_->table->setCell(k, r, cellText(kind_, v), cellColour(kind_, v), qRgb(0, 0, 0));
        }
}

void TableView::fillMapBody(TGrafika& chart)
{
    if (!grids_->map || !grids_->map->isVisible()) return;
    MemoryImage& m = chart.link()->mem;
    const bool obd = view_ == 5;
    const uint8_t* petrol = m.map(obd ? MemoryImage::ObdPetrol1 : MemoryImage::PetrolMap);
    const uint8_t* gas = m.map(obd ? MemoryImage::ObdGas1 : MemoryImage::GasMap);
    for (int k = 1; k <= 16; ++k)
        for (int r = 1; r <= 16; ++r) {
            const int i = GridGeometry::tableIndex(k, r);
            const MapCell c = mapCell(obd, grids_->mapView, petrol[i], gas[i]);
            grids_->map->setCell(k, r, c.text, c.background, c.textColour);
        }
}

void TableView::drawTitles(TGrafika& chart, QPainter& p)
{
    QFont bold = chart.chartFont();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(chart.textColour());
    const QFontMetrics fm(p.font());
    const int titles[2][3] = {{1712, 1713, 1714}, {1715, 1716, 1717}};
    const QString mapTitle = TextById(titles[view_ == 5 ? 1 : 0][grids_->mapView]);
    const int w = chart.width();
    TGrafika::drawTextAt(p, (w - fm.horizontalAdvance(mapTitle)) / 2, 2, mapTitle);
    const QString tableTitle = TextById(1718) + QStringLiteral(" ") + TextById(1057);
    TGrafika::drawTextAt(p, (w - fm.horizontalAdvance(tableTitle)) / 2, chart.height() / 2 + 7, tableTitle);
    if (grids_->mapView != 2) return;
    // Legend of the difference view, below the map grid.
    const GridGeometry::Layout g = GridGeometry::compute(chart.width(), chart.height(), 0, 0, true);
    const int y = g.mapTop + GridGeometry::kCells * g.row + 6;
    struct Piece {
        QString text;
        QRgb background, colour;
        int gap;
    };
    const auto pieces = [](const QString& pad) {
        const QString petrol = TextById(1244), gas = TextById(1249);
        return QList<Piece>{{pad + petrol + pad, kPetrolCell, qRgb(0, 0, 0), 6},
                            {pad + gas + pad, kGasCell, qRgb(0, 0, 0), 6},
                            {pad + petrol + QStringLiteral(" & ") + gas + pad, kBothCell, qRgb(0, 0, 0), 0},
                            {QStringLiteral("- ") + TextById(1710) + pad, kBothCell, qRgb(0, 0, 236), 0},
                            {QStringLiteral("+ ") + TextById(1711) + pad, kBothCell, qRgb(176, 0, 0), 0}};
    };
    // In a narrow window (or a long language) the legend first loses its padding, then takes a smaller
    // font, so that "Mixture rich" is never cut at the right edge.
    const auto widthOf = [](const QList<Piece>& list, const QFontMetrics& m) {
        int total = 0;
        for (const Piece& piece : list) total += m.horizontalAdvance(piece.text) + piece.gap;
        return total;
    };
    QList<Piece> legend = pieces(QStringLiteral("    "));
    if (widthOf(legend, fm) > w - 14) legend = pieces(QStringLiteral(" "));
    QFont legendFont = bold;
    while (widthOf(legend, QFontMetrics(legendFont)) > w - 14 && legendFont.pointSize() > 6)
        legendFont.setPointSize(legendFont.pointSize() - 1);
    p.setFont(legendFont);
    const QFontMetrics lm(legendFont);
    int x = 7;
    for (const Piece& piece : legend) {
        const int tw = lm.horizontalAdvance(piece.text);
        p.fillRect(x, y, tw, lm.height(), QColor(piece.background));
        p.setPen(QColor(piece.colour));
        TGrafika::drawTextAt(p, x, y, piece.text);
        x += tw + piece.gap;
    }
}

void TableView::render(TGrafika& chart, QPainter&)
{
    if (!chart.link() || !grids_->table || grids_->owner != view_) return;
    // Only cells whose text or colour changed are repainted.
    fillTableBody(chart);
    if (hasMaps()) fillMapBody(chart);
}

void TableView::updateMirror(TGrafika& chart)
{
    if (!grids_->map || !grids_->table) return;
    const bool mirror = grids_->table->hasFocus() && !timeAxis(chart);
    grids_->map->setMirroredSelection(mirror ? grids_->table->selection() : QRect());
}

void TableView::refreshTick(TGrafika& chart) { updateMirror(chart); }

void TableView::liveData(TGrafika& chart, const LiveFrame& frame)
{
    if (!grids_->table || grids_->owner != view_) return;
    const int c = frame.rpmCell(), l = frame.loadCell();
    if (grids_->map && grids_->map->isVisible()) {
        grids_->mapLiveC = c;
        grids_->mapLiveL = l;
        grids_->map->setLiveCell(GridGeometry::cellOfLive(c, l));
    }
    if (grids_->table->isVisible()) {
        const int tl = timeAxis(chart) ? frame.petrolTime() / 16 : l;
        const Cell cell = GridGeometry::cellOfLive(c, tl);
        // A frame naming a cell outside the table has no live cell.
        grids_->tableLiveC = cell.valid() ? c : -1;
        grids_->tableLiveL = cell.valid() ? tl : -1;
        grids_->table->setLiveCell(cell);
    }
}

void TableView::keyDown(TGrafika& chart, int key, Qt::KeyboardModifiers)
{
    if (!hasMaps() || !chart.link() || grids_->owner != view_) return;
    if (key == Qt::Key_F8) {
        nextMapView(chart);
        return;
    }
    // While a breakpoint is being typed, + and - belong to the text.
    if (grids_->editedHeader.valid()) return;
    int delta = 0;
    if (key == Qt::Key_Plus || key == Qt::Key_Equal) delta = 1;
    if (key == Qt::Key_Minus) delta = -1;
    if (delta == 0) return;
    uint8_t* t = table(chart);
    if (!stepLiveCell(t, grids_->tableLiveC, grids_->tableLiveL, delta)) return;
    chart.link()->ZapiszDoSterownika(writeMaskOf(kind_));
    const Cell cell = GridGeometry::cellOfLive(grids_->tableLiveC, grids_->tableLiveL);
    const int v = t[GridGeometry::tableIndex(cell.column, cell.row)];
    grids_->table->setCell(cell.column, cell.row, cellText(kind_, v), cellColour(kind_, v), qRgb(0, 0, 0));
}

void TableView::nextMapView(TGrafika& chart)
{
    grids_->mapView = (grids_->mapView + 1) % 3;
    chart.Rebuild();
}

bool TableView::tableKey(TGrafika& chart, QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods & Qt::ShiftModifier) chart.ShortenNextRefresh();
    const int key = event->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down) return false;
    const bool ctrl = mods & Qt::ControlModifier, alt = mods & Qt::AltModifier;
    if (!ctrl && !alt) return false;
    uint8_t* t = table(chart);
    if (!t) return true;
    const int delta = key == Qt::Key_Up ? 1 : -1;
    const Limits lim = limitsOf(kind_);
    bool changed = false;
    if (ctrl) {
        const QRect s = grids_->table->selection();
        changed |= stepRange(t, lim, s.left(), s.top(), s.right(), s.bottom(), delta);
    }
    if (alt) changed |= stepRange(t, lim, 1, 1, 16, 16, delta);
    if (changed) {
        chart.link()->ZapiszDoSterownika(writeMaskOf(kind_));
        fillTableBody(chart);
    }
    return true;
}

void TableView::tablePress(TGrafika& chart, Cell cell)
{
    if (!cell.valid() || !chart.link()) return;
    if (!hasMaps()) return;  // views 6 and 7: a press only moves the selection
    if (cell.column == 0 && cell.row == 0) {
        switchLoadAxis(chart);
    } else if ((cell.row == 0) || (cell.column == 0 && !timeAxis(chart))) {
        openHeaderEditor(chart, cell);
    } else {
        parkFocusBox(chart);
    }
}

void TableView::switchLoadAxis(TGrafika& chart)
{
    NamedSettings(*chart.link()).switchLoadAxis();
    // The wait runs on a timer so that the link's tick goes on meanwhile.
    if (grids_->axisReread) grids_->axisReread->start();
}

void TableView::AxisSwitchReread(TGrafika& chart)
{
    if (!chart.link()) return;
    chart.link()->CzytajZeSterownika(kRpmCorrectionRegions);
    chart.Rebuild();
}

void TableView::openHeaderEditor(TGrafika& chart, Cell cell)
{
    QLineEdit* box = chart.focusBox();
    if (!box) return;
    TableGrid* t = grids_->table;
    const QRect r = t->cellRect(cell.column, cell.row);
    box->setFrame(false);
    QFont f = box->font();
    f.setPointSize(t->bodyFontSize());
    box->setFont(f);
    box->setText(t->text(cell.column, cell.row));
    box->selectAll();
    box->setGeometry(t->x() + r.left() + 2, t->y() + r.top() + 2, r.width(), r.height());
    box->raise();
    grids_->editedHeader = cell;
    box->setFocus(Qt::MouseFocusReason);
}

void TableView::parkFocusBox(TGrafika& chart)
{
    grids_->editedHeader = {};
    if (QLineEdit* box = chart.focusBox()) box->setGeometry(chart.x() - 2, chart.y() - 2, 1, box->height());
}

bool TableView::focusBoxEditing(const TGrafika&) const { return grids_->editedHeader.valid(); }

void TableView::commitHeader(TGrafika& chart)
{
    const Cell cell = grids_->editedHeader;
    NamedSettings settings(*chart.link());
    const QString text = chart.focusBox()->text();
    if (cell.row == 0 && cell.column >= 1) {
        const int i = cell.column - 1;
        settings.setRpmBreakpoint(i, rpmBreakpoint(text, settings.rpmBreakpoint(i)));
    } else if (cell.column == 0 && cell.row >= 1) {
        const int i = NamedSettings::kBreakpoints - cell.row;
        settings.setLoadBreakpoint(i, loadBreakpoint(text, settings.loadBreakpoint(i), settings.loadIsVoltage()));
    }
    parkFocusBox(chart);
    // Both grids show the stored breakpoint.
    fillHeaders(chart);
}
