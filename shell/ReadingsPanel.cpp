#include "shell/ReadingsPanel.h"

#include <QtCore/QEvent>
#include <QtCore/QLocale>
#include <QtGui/QPainter>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QToolButton>

#include <algorithm>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "link/IdentityReader.h"
#include "link/Tsterownik.h"
#include "settings/NamedSettings.h"
#include "shell/GridLayout.h"
#include "shell/LivePanels.h"
#include "shell/ProtocolPicture.h"
#include "shell/SwitchPicture.h"
#include "ui/CellPainting.h"
#include "ui/StringGrid.h"

using CellPainting::baselineCentred;
using CellPainting::drawRight;
using CellPainting::sized;

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 160, 0);

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

}  // namespace

// ---------------------------------------------------------------- building

ReadingsPanel::ReadingsPanel(TSterownik& link, QWidget* frame, QLabel* injectionTitle, QWidget* parent)
    : QWidget(parent), link_(link), frame_(frame), injectionTitle_(injectionTitle),
      switchBitmap_(91, 91, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("ReadingsPanel"));
    switchBitmap_.fill(Qt::white);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);

    NoLinkHint = new QLabel(this);
    NoLinkHint->setObjectName(QStringLiteral("NoLinkHint"));
    NoLinkHint->setWordWrap(true);
    NoLinkHint->setAlignment(Qt::AlignCenter);
    column->addWidget(NoLinkHint);

    StringGridParametry = new StringGrid(this);
    StringGridParametry->setObjectName(QStringLiteral("StringGridParametry"));
    StringGridParametry->setColCount(3);
    StringGridParametry->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGridParametry->onToolTip = [this](int c, int r) { return cutNameTip(c, r); };
    StringGridParametry->onDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        drawReadingsCell(p, c, r, rect);
    };
    StringGridParametry->onDblClick = [this] {
        nameRepaint_ = nameRepaint_ ? 0 : 1;
        LayoutRightPanel();
    };
    column->addWidget(StringGridParametry);

    auto* head = new QHBoxLayout;
    head->setSpacing(0);
    injectionTitle_->setParent(this);
    head->addWidget(injectionTitle_, 1);
    BtnParamIng = new QToolButton(this);
    BtnParamIng->setObjectName(QStringLiteral("BtnParamIng"));
    BtnParamIng->setText(QStringLiteral("-"));
    BtnParamIng->setProperty("tag", 0);
    // The window's keys go to the window: a focused button would take Space and Enter as well.
    BtnParamIng->setFocusPolicy(Qt::NoFocus);
    BtnParamIng->hide();
    connect(BtnParamIng, &QToolButton::clicked, this, &ReadingsPanel::BtnParamIngClick);
    head->addWidget(BtnParamIng);
    column->addLayout(head);

    StringGridCzasyWtr = new InjectionGrid(this);
    StringGridCzasyWtr->setObjectName(QStringLiteral("StringGridCzasyWtr"));
    StringGridCzasyWtr->setColCount(4);
    StringGridCzasyWtr->setMinimumHeight(20);
    StringGridCzasyWtr->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    StringGridCzasyWtr->onDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) {
        drawInjectionCell(p, c, r, rect);
    };
    StringGridCzasyWtr->onMouseDown = [this](Qt::MouseButton, const QPoint& pos) { injectionGridPressed(pos); };
    column->addWidget(StringGridCzasyWtr);
    column->addStretch(1);

    auto* pictures = new QHBoxLayout;
    pictures->setSpacing(0);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(91, 91);
    Image1->setToolTip(QStringLiteral("[SPACE]"));
    Image1->installEventFilter(this);
    pictures->addWidget(Image1, 0, Qt::AlignLeft | Qt::AlignBottom);
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    pictures->addWidget(Image2, 0, Qt::AlignLeft | Qt::AlignBottom);
    pictures->addStretch(1);
    column->addLayout(pictures);

    CellPainting::watchResize(frame_, [this] { LayoutRightPanel(); });
    // The grid takes its width from the panel's layout after the frame has been laid out; without live
    // frames (no link) nothing else would lay its columns out for that width.
    CellPainting::watchResize(StringGridParametry, [this] {
        if (StringGridParametry->width() != laidOutWidth_) LayoutRightPanel();
    });
    drawSwitchPicture();
    showLinkState(link_.alive());
}

void ReadingsPanel::showLinkState(bool alive)
{
    NoLinkHint->setText(TextById(OwnText::NoLinkHint).arg(TextById(1117), TextById(1118)));
    NoLinkHint->setVisible(!alive);
    if (alive == linkShown_) return;
    linkShown_ = alive;
    if (alive) return;
    StringGrid* g = StringGridParametry;
    readingsCache_.reset(g->rowCount());
    for (int k = 0; k < g->rowCount(); ++k) g->setCell(1, k, QString());
    StringGrid* t = StringGridCzasyWtr;
    for (int r = 0; r < t->rowCount(); ++r) {
        t->setCell(1, r, QString());
        t->setCell(3, r, QString());
    }
    shownPetrol_.fill(0.0001);
    shownGas_.fill(0.0001);
    drawSwitchPicture();
}

bool ReadingsPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonPress) Q_EMIT switchPictureClicked();
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- what the window hands on

void ReadingsPanel::liveFrame(const LiveFrame& frame)
{
    if (!linkShown_) showLinkState(true);
    ShowReadings(frame);
    ShowInjectionTimes(frame);
    ShowLeds(frame);
}

int ReadingsPanel::injectorRows() const
{
    if (!injectorsKnown_) return 0;
    return GridLayout::injectorRows(link_.injectorCount, BtnParamIng->property("tag").toInt() == 1);
}

void ReadingsPanel::linkEvent(int kind, int code, int, int length)
{
    // The link's injector count is a stand-in of 8 until a controller (or a file, or a recording) has
    // said how many it drives: only then are its rows shown.
    const bool identified = kind == kEventFrameReceived && code == 0x81 && IdentityReader(link_.mem).inApplication();
    if (identified || kind == kEventFileLoaded || kind == kEventLinkStarted) {
        injectorsKnown_ = kind != kEventLinkStarted;
        LayoutRightPanel();
    }
    if (kind == kEventObd && code == kObdAdapterState) {
        obdState_ = length;
        LayoutRightPanel();
    } else if (kind == kEventFrameReceived && (code == 0x86 || code == 0xE8)) {
        // An injector switch or a new injector assignment: other rows, other ticks (and a repaint).
        LayoutRightPanel();
    }
}

void ReadingsPanel::relabel()
{
    injectionTitle_->setText(TextById(1231));
    NoLinkHint->setText(TextById(OwnText::NoLinkHint).arg(TextById(1117), TextById(1118)));
    LayoutRightPanel();
}

void ReadingsPanel::applyColours(const ThemePalette& palette)
{
    palette_ = palette;
    QPalette hint = NoLinkHint->palette();
    hint.setColor(QPalette::WindowText, palette.title);
    NoLinkHint->setPalette(hint);
    drawSwitchPicture();
    colourGrids();
}

void ReadingsPanel::colourGrids()
{
    for (StringGrid* g : {StringGridParametry, StringGridCzasyWtr})
        g->setCellColours(palette_.background, palette_.text);
    LayoutRightPanel();
}

// ---------------------------------------------------------------- layout

void ReadingsPanel::InitGrids()
{
    nameRepaint_ = 1;
    shownPetrol_.fill(0.0001);
    shownGas_.fill(0.0001);
    colourGrids();
}

void ReadingsPanel::LayoutRightPanel()
{
    QWidget* body = parentWidget();
    if (body && body->width() > 100) drawProtocolPicture();
    const int r = GridLayout::rowHeight(frame_->height());

    // Readings grid: one row per channel of the readings set. A changed set starts its values over.
    QVector<int> shown;
    for (int k = 0, n = link_.PodajIleParamBiez(kChannelReadings); k < n; ++k)
        shown << link_.PodajPozycje(kChannelReadings, k);
    StringGrid* g = StringGridParametry;
    if (shown != readingsShown_) {
        readingsShown_ = shown;
        g->setRowCount(int(shown.size()));
        g->clearCells();
        readingsCache_.reset(int(shown.size()));
    }
    const int width = g->width();
    laidOutWidth_ = width;
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
            const TWykres& w = link_.channels()[c];
            widest = std::max(widest, m.horizontalAdvance(TextById(w.id) + TextById(w.unit)));
        }
        return widest;
    };
    const auto tgHeight = [&](int size, bool bold) {
        return QFontMetrics(sized(base, size, bold)).boundingRect(QStringLiteral("Tg")).height();
    };
    // The margin is what a drawn cell keeps around its name and unit: 4 pixels before the name, 3
    // between name and unit, 2 after the unit.
    nameFontSize_ = GridLayout::fitFontSize(20, 7, nameFontSize_, cols[0], 9, r, labelWidth,
                                            [&](int s) { return tgHeight(s, false); });
    valueFontSize_ = GridLayout::fitFontSize(
        26, 7, valueFontSize_, cols[1], 5, r,
        [&](int s) { return QFontMetrics(sized(base, s, true)).horizontalAdvance(QStringLiteral("88,88")); },
        [&](int s) { return tgHeight(s, true); });

    StringGrid* t = StringGridCzasyWtr;
    const int rows = injectorRows();
    t->setRowCount(rows);
    t->setVisible(rows > 0);
    t->setDefaultRowHeight(r);
    const int wanted = GridLayout::gridHeight(r, rows);
    t->setMaximumHeight(wanted);
    if (auto* grid = dynamic_cast<InjectionGrid*>(t); grid && grid->wantedHeight != wanted) {
        grid->wantedHeight = wanted;
        grid->updateGeometry();
    }
    if (body && body->layout()) body->layout()->activate();
    if (layout()) layout()->activate();
    const bool scrolling = t->height() < GridLayout::gridHeight(r, rows);
    const auto ic = GridLayout::injectionColumns(t->width(), scrolling);
    for (int c = 0; c < 4; ++c) t->setColWidth(c, ic[c]);
    g->viewport()->update();
    t->viewport()->update();
}

void ReadingsPanel::drawProtocolPicture()
{
    const int w = parentWidget()->width() - Image1->width();
    const QImage c = ProtocolPicture::canvas(LivePanels::protocolPictureName(obdState_), w + 91,
                                             palette_.background.isValid() ? palette_.background : QColor(Qt::white));
    Image2->setFixedSize(c.size());
    Image2->setPixmap(QPixmap::fromImage(c));
}

void ReadingsPanel::BtnParamIngClick()
{
    const bool collapse = BtnParamIng->property("tag").toInt() != 1;
    BtnParamIng->setProperty("tag", collapse ? 1 : 0);
    BtnParamIng->setText(collapse ? QStringLiteral("+") : QStringLiteral("-"));
    LayoutRightPanel();
}

void ReadingsPanel::setAdvancedView(bool advanced)
{
    if (!advanced && BtnParamIng->property("tag").toInt() == 1) BtnParamIngClick();
    BtnParamIng->setVisible(advanced);
}

// ---------------------------------------------------------------- live values

void ReadingsPanel::ShowReadings(const LiveFrame& frame)
{
    StringGrid* g = StringGridParametry;
    for (int k = 0; k < g->rowCount(); ++k) {
        if (!readingsCache_.changed(k, link_.StrParamBiez(kChannelReadings, k, frame))) continue;
        g->setCell(1, k, readingsCache_.text(k));
        if (nameRepaint_ == 1) g->repaintCell(0, k);
    }
}

void ReadingsPanel::ShowInjectionTimes(const LiveFrame& frame)
{
    StringGrid* t = StringGridCzasyWtr;
    const int n = injectorRows();
    if (t->rowCount() != n) LayoutRightPanel();
    for (int r = 0; r < n; ++r) {
        const double petrol = frame.petrolInjectionTime(r) * 0.004;
        const double gas = frame.gasInjectionTime(r) * 0.004;
        if (petrol != shownPetrol_[r]) {
            shownPetrol_[r] = petrol;
            t->setCell(1, r, QLocale().toString(petrol, 'f', 2));
        }
        if (gas != shownGas_[r]) {
            shownGas_[r] = gas;
            t->setCell(3, r, QLocale().toString(gas, 'f', 2));
        }
    }
}

void ReadingsPanel::ShowLeds(const LiveFrame& frame)
{
    if (frame.levelLeds() == ledMemory_[0] && frame.fuelLed() == ledMemory_[1]) return;
    ledMemory_ = {frame.levelLeds(), frame.fuelLed()};
    drawLeds(frame.switchLeds());
}

void ReadingsPanel::drawSwitchPicture()
{
    switchBitmap_.fill(palette_.background.isValid() ? palette_.background : QColor(Qt::white));
    QPainter p(&switchBitmap_);
    SwitchPicture::draw(p);
    p.end();
    Image1->setPixmap(QPixmap::fromImage(switchBitmap_));
    // Nothing drawn yet: the next live frame draws its LEDs whatever they are.
    ledMemory_ = {-1, -1};
}

void ReadingsPanel::drawLeds(const SwitchLeds& leds)
{
    QPainter p(&switchBitmap_);
    for (const SwitchPicture::Led& led : SwitchPicture::leds(leds)) p.fillRect(led.rect, led.colour);
    p.end();
    Image1->setPixmap(QPixmap::fromImage(switchBitmap_));
}

// ---------------------------------------------------------------- drawing

int ReadingsPanel::nameRoom(const QFontMetrics& fm, const QRect& rect, const QString& unit)
{
    const int unitLeft = rect.right() + 1 - 2 - fm.horizontalAdvance(unit);
    return std::max(0, unitLeft - (rect.left() + 4) - 3);
}

QString ReadingsPanel::cutNameTip(int c, int r) const
{
    const int ch = r < readingsShown_.size() ? readingsShown_[r] : -1;
    if (c != 0 || ch < 0) return {};
    const TWykres& w = link_.channels()[ch];
    const QFontMetrics fm(sized(StringGridParametry->font(), nameFontSize_, false));
    const QString name = TextById(w.id);
    return fm.horizontalAdvance(name) > nameRoom(fm, StringGridParametry->cellRect(0, r), TextById(w.unit)) ? name
                                                                                                            : QString();
}

void ReadingsPanel::drawReadingsCell(QPainter& p, int c, int r, const QRect& rect)
{
    const int ch = r < readingsShown_.size() ? readingsShown_[r] : -1;
    if (c == 0) {
        p.fillRect(rect, palette_.lightShade);
        if (ch < 0) return;
        const TWykres& w = link_.channels()[ch];
        p.setFont(sized(StringGridParametry->font(), nameFontSize_, false));
        p.setPen(palette_.text);
        const int y = baselineCentred(p.font(), rect);
        const QFontMetrics fm(p.font());
        const QString unit = TextById(w.unit);
        const int unitLeft = rect.right() + 1 - 2 - fm.horizontalAdvance(unit);
        // In a narrow panel the name ends in "…" before the unit instead of running under it (and
        // is whole in the cell's tooltip).
        p.drawText(rect.left() + 4, y, fm.elidedText(TextById(w.id), Qt::ElideRight, nameRoom(fm, rect, unit)));
        p.drawText(unitLeft, y, unit);
    } else if (c == 1) {
        p.fillRect(rect, palette_.valueBackground);
        p.setFont(sized(StringGridParametry->font(), ch < 0 ? 10 : valueFontSize_, true));
        p.setPen(palette_.title);
        drawRight(p, rect, StringGridParametry->cell(1, r), 5);
    }
}

void ReadingsPanel::drawInjectionCell(QPainter& p, int c, int r, const QRect& rect)
{
    const uint8_t outputs = r < GridLayout::kMaxInjectors ? NamedSettings(link_).injectorOutputs(r) : 0;
    const int count = link_.injectorCount;
    StringGrid* t = StringGridCzasyWtr;
    if (c == 1 || c == 3) {
        if (outputs == 0) {
            p.fillRect(rect, palette_.lightShade);
            return;
        }
        p.fillRect(rect, palette_.valueBackground);
        p.setFont(sized(t->font(), valueFontSize_, true));
        p.setPen(c == 1 ? kRed : kGreen);
        drawRight(p, rect, t->cell(c, r), 2);
        return;
    }
    p.fillRect(rect, palette_.lightShade);
    if (c == 2 && outputs == 0) return;
    QFont f = sized(t->font(), nameFontSize_, false);
    p.setPen(palette_.text);
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
    p.setPen(palette_.text);
    p.setBrush(palette_.field);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    if (link_.injectorsEnabled() >> r & 1)
        CellPainting::drawTick(p, QPointF(box.left() + 2, box.top() + 6), QPointF(box.left() + 7, box.top() + 12),
                               QPointF(box.left() + 14, box.top() - 1));
}

void ReadingsPanel::injectionGridPressed(const QPoint& pos)
{
    StringGrid* t = StringGridCzasyWtr;
    const int c = t->columnAt(pos.x());
    const int r = t->rowAt(pos.y());
    if (c != 2 || r < 0) return;
    const NamedSettings s(link_);
    const uint8_t mask = GridLayout::switchedMask(link_.injectorsEnabled(), r, s.switchingType(), s.petrolInjectors(),
                                                  link_.injectorCount);
    if (GridLayout::clickedInjectors(r, s.switchingType(), link_.injectorCount) == 0) return;
    link_.switchInjectors(mask);
    t->viewport()->update();
}
