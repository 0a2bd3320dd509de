#include "editor/Tnastawy.h"

#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QApplication>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QToolTip>

#include <algorithm>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "link/Tsterownik.h"
#include "settings/NamedSettings.h"
#include "settings/SettingsPages.h"

namespace {

// Clear pixels between the longest label of a column and its value box.
constexpr int kLabelGap = 8;

const int kDetailSettings[] = {NamedSettings::kPetrolInjectionType, NamedSettings::kLevelSensor,
                               NamedSettings::kFasterSwitching, NamedSettings::kMinimumGasPressure,
                               NamedSettings::kSwitchingSignal};
bool hasDetail(int n)
{
    return std::find(std::begin(kDetailSettings), std::end(kDetailSettings), n) != std::end(kDetailSettings);
}

bool isList(int cls) { return cls == kClassList; }
bool isYesNo(int cls) { return cls == kClassYesNo; }

}  // namespace

TNastawy::TNastawy(TSterownik& link, SettingsCatalogue& catalogue, QWidget* parent)
    : QWidget(parent), link_(link), catalogue_(catalogue)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    repeat_.setInterval(kRepeatFirst);
    connect(&repeat_, &QTimer::timeout, this, &TNastawy::RepeatTick);
    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->hide();
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
        firstRow_ = v;
        refresh();
    });
    catalogue_.OnBeep = [this] { beep(); };
    catalogue_.OnRepaint = [this] { refresh(); };
    pal_ = ComputePalette(3, SystemColours::fromPalette(QApplication::palette()));
    cells_ = SettingsPages::layout(page_, viewLevel_);
}

TNastawy::~TNastawy()
{
    repeat_.stop();
    repeat_.disconnect();
    catalogue_.OnBeep = nullptr;
    catalogue_.OnRepaint = nullptr;
}

void TNastawy::beep()
{
    ++beepCount;
    QApplication::beep();
}

void TNastawy::setThemePalette(const ThemePalette& palette)
{
    pal_ = palette;
    QPalette p = this->palette();
    p.setColor(QPalette::Window, palette.background);
    setPalette(p);
    refresh();
}

void TNastawy::SetPage(int page)
{
    page_ = page;
    cells_ = SettingsPages::layout(page_, viewLevel_);
    catalogue_.setView(page_, viewLevel_);
    selCol_ = 0;
    selRow_ = 1;
    firstRow_ = 0;
    Relayout();
    refresh();
}

void TNastawy::SetViewLevel(int level)
{
    viewLevel_ = level;
    SetPage(page_);
}

void TNastawy::HideEditor()
{
    if (popup_) popup_->hide();
    repeat_.stop();
    hide();
}

int TNastawy::cellAt(int column, int row) const
{
    const int i = row * 2 + column;
    return i >= 0 && i < cells_.size() ? cells_[i] : SettingsPages::kEmpty;
}

int TNastawy::visibleRows() const { return geo_.rowHeight > 0 ? std::max(1, height() / geo_.rowHeight) : 1; }

QPoint TNastawy::cellUnder(const QPoint& pos) const
{
    const int row = std::min(pos.y() / std::max(1, geo_.rowHeight) + firstRow_, rowCount() - 1);
    const int column = pos.x() > geo_.columnWidth ? 1 : 0;
    return {column, row};
}

QRect TNastawy::cellRect(int column, int row) const
{
    return {column * geo_.columnWidth, (row - firstRow_) * geo_.rowHeight, geo_.columnWidth, geo_.rowHeight};
}

void TNastawy::Relayout()
{
    if (!isVisible() || (parentWidget() && !parentWidget()->isVisible())) return;
    if (popup_) popup_->hide();
    geo_ = NastawyLayout::compute(page_, rowCount(), width(), height());
    if (geo_.scrollBar) {
        scroll_->setGeometry(width() - 16, 0, 16, height());
        scroll_->setRange(0, std::max(0, rowCount() - visibleRows()));
        scroll_->setPageStep(visibleRows());
        scroll_->show();
    } else {
        scroll_->hide();
        firstRow_ = 0;
    }
    // Each label with the room it lacks against a plain one: a label before a detail button ends a
    // little before the button, not kLabelGap before the value box.
    const int plainEnd = geo_.p(0, 2) - kLabelGap;
    QList<std::pair<QString, int>> labels;
    for (int n : cells_)
        if (n >= 0)
            labels.append(
                {catalogue_.LabelText(n), hasDetail(n) ? plainEnd - (std::min(geo_.p(0, 2), geo_.p(0, 6)) - 4) : 0});
    const auto labelWidth = [&](int size) {
        QFont f = font();
        f.setPointSize(size);
        f.setBold(true);
        QFontMetrics fm(f);
        int widest = 0;
        for (const auto& [text, lacking] : labels) widest = std::max(widest, fm.horizontalAdvance(text) + lacking);
        return widest;
    };
    const auto textHeight = [&](int size) {
        QFont f = font();
        f.setPointSize(size);
        return QFontMetrics(f).tightBoundingRect(QStringLiteral("Tg")).height();
    };
    // The longest label keeps a clear gap before its value box (a bold label's last glyph reaches a
    // pixel or two past its advance): the font is fitted to the room less that gap.
    fontSize_ =
        NastawyLayout::fitFontSize(geo_.p(0, 2) - geo_.p(0, 0) - kLabelGap, geo_.rowHeight, labelWidth, textHeight);
    longestLabel_ = labelWidth(fontSize_);
    refresh();
}

void TNastawy::resizeEvent(QResizeEvent*) { Relayout(); }

// ---------------------------------------------------------------- drawing

void TNastawy::refresh()
{
    updateAccessibleName();
    render();
    update();
}

void TNastawy::paintEvent(QPaintEvent*)
{
    // The values live in the link's memory image, which controller replies, factory settings and
    // loaded files change behind the editor's back: every paint draws them afresh.
    render();
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void TNastawy::render()
{
    // Showing an out-of-range list value corrects it through SetValue, whose repaint request
    // arrives while this render is still painting; the render in progress shows the new value.
    if (rendering_ || width() <= 0 || height() <= 0) return;
    rendering_ = true;
    if (image_.size() != size()) image_ = QImage(size(), QImage::Format_RGB32);
    image_.fill(pal_.editorBackground);
    QPainter p(&image_);
    const int last = std::min(rowCount(), firstRow_ + visibleRows() + 1);
    for (int row = firstRow_; row < last; ++row)
        for (int column = 0; column < 2; ++column) drawCell(p, column, row);
    rendering_ = false;
}

void TNastawy::drawButtonFace(QPainter& p, const QRect& r)
{
    // Horizontal lines from the bright shade at the top to the dark shade at the bottom.
    const int h = std::max(1, r.height());
    for (int i = 0; i < r.height(); ++i) {
        const double t = double(i) / h;
        const QColor a = pal_.brightShade, b = pal_.darkShade;
        p.setPen(QColor(int(a.red() + (b.red() - a.red()) * t), int(a.green() + (b.green() - a.green()) * t),
                        int(a.blue() + (b.blue() - a.blue()) * t)));
        p.drawLine(r.left(), r.top() + i, r.right(), r.top() + i);
    }
    p.setPen(pal_.editorGridLines);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void TNastawy::drawCell(QPainter& p, int column, int row)
{
    const QRect r = cellRect(column, row);
    const int n = cellAt(column, row);
    const int w = geo_.columnWidth;
    QFont f = font();
    f.setPointSize(fontSize_);
    f.setBold(true);
    p.setFont(f);

    const auto frameSides = [&] {
        // The group's outer lines on the outer sides and the line between the two columns.
        p.setPen(pal_.darkShade);
        if (column == 0) p.drawLine(r.left() + 3, r.top(), r.left() + 3, r.bottom());
        else p.drawLine(r.right() - 4, r.top(), r.right() - 4, r.bottom());
        p.drawLine(w - 1, r.top(), w - 1, r.bottom());
        p.setPen(pal_.brightShade);
        if (column == 0) p.drawLine(r.left() + 4, r.top(), r.left() + 4, r.bottom());
        else p.drawLine(r.right() - 3, r.top(), r.right() - 3, r.bottom());
        p.drawLine(w, r.top(), w, r.bottom());
    };
    const auto topLine = [&](int y) {
        p.setPen(pal_.darkShade);
        p.drawLine(r.left() + (column == 0 ? 3 : 0), y, r.right() - (column == 1 ? 4 : 0), y);
        p.setPen(pal_.brightShade);
        p.drawLine(r.left() + (column == 0 ? 4 : 0), y + 1, r.right() - (column == 1 ? 3 : 0), y + 1);
    };

    switch (n) {
        case SettingsPages::kEmpty: return;
        case SettingsPages::kPageHeader: {
            const int y = r.center().y();
            topLine(y);
            p.setPen(pal_.darkShade);
            const int x = column == 0 ? r.left() + 3 : r.right() - 4;
            p.drawLine(x, y, x, r.bottom());
            // The caption spans both cells; each cell redraws it over its own part of the line.
            const QString text = QLatin1Char(' ') + TextById(1275) + QLatin1Char(' ');
            const QRect all(0, r.top(), 2 * w, r.height());
            const int tw = p.fontMetrics().horizontalAdvance(text);
            p.fillRect(QRect(w - tw / 2, r.top() + 2, tw, r.height() - 4), pal_.editorBackground);
            p.setPen(pal_.title);
            p.drawText(all, Qt::AlignCenter, text);
            return;
        }
        case SettingsPages::kInjectorsCaption:
        case SettingsPages::kSensorsCaption:
        case SettingsPages::kToGasCaption:
        case SettingsPages::kToPetrolCaption: {
            const int id = n == SettingsPages::kInjectorsCaption ? 1276
                           : n == SettingsPages::kSensorsCaption ? 1278
                           : n == SettingsPages::kToGasCaption   ? 1279
                                                                 : 1280;
            const QColor colour = n == SettingsPages::kToGasCaption      ? QColor(0, 160, 0)
                                  : n == SettingsPages::kToPetrolCaption ? QColor(255, 0, 0)
                                                                         : pal_.title;
            const int y = r.center().y();
            topLine(y);
            const QString text = QLatin1Char(' ') + TextById(id) + QLatin1Char(' ');
            const int tw = p.fontMetrics().horizontalAdvance(text);
            p.fillRect(QRect(r.center().x() - tw / 2, r.top() + 2, tw, r.height() - 4), pal_.editorBackground);
            p.setPen(colour);
            p.drawText(r, Qt::AlignCenter, text);
            p.setPen(pal_.darkShade);
            p.drawLine(column == 0 ? r.left() + 3 : r.right() - 4, y, column == 0 ? r.left() + 3 : r.right() - 4,
                       r.bottom());
            p.drawLine(w - 1, y, w - 1, r.bottom());
            p.setPen(pal_.brightShade);
            p.drawLine(w, y, w, r.bottom());
            return;
        }
        case SettingsPages::kHeaderEnd:
        case SettingsPages::kGroupEnd: {
            const int y = r.top() + r.height() / 3;
            p.setPen(pal_.darkShade);
            const int x = column == 0 ? r.left() + 3 : r.right() - 4;
            p.drawLine(x, r.top(), x, y);
            if (n == SettingsPages::kGroupEnd) {
                p.drawLine(w - 1, r.top(), w - 1, y);
                p.setPen(pal_.brightShade);
                p.drawLine(w, r.top(), w, y);
            }
            topLine(y);
            return;
        }
        case SettingsPages::kInjectorCorrections: {
            frameSides();
            const int top = r.top() + 2, h = r.height() - 4;
            const QRect left(geo_.p(column, 0), top, geo_.p(column, 2) - geo_.p(column, 0) - 4, h);
            const QRect right(geo_.p(column, 2), top, geo_.p(column, 5) - geo_.p(column, 2), h);
            drawButtonFace(p, left);
            drawButtonFace(p, right);
            bool corrected = false;
            for (int i = 0; i < link_.injectorCount && i < 8; ++i)
                corrected = corrected || catalogue_.byte(NamedSettings::kInjectorCorrections + i) != 128;
            p.setPen(corrected ? QColor(255, 0, 0) : pal_.dialogText);
            // A caption longer than its button ends in "…" rather than being cut at both ends.
            const QFontMetrics fm = p.fontMetrics();
            p.drawText(left, Qt::AlignCenter, fm.elidedText(TextById(1281), Qt::ElideRight, left.width() - 6));
            p.setPen(pal_.dialogText);
            p.drawText(right, Qt::AlignCenter, fm.elidedText(TextById(1282), Qt::ElideRight, right.width() - 6));
            return;
        }
        default: break;
    }
    if (n < 0) return;
    frameSides();
    drawSetting(p, r, column, n, hasFocus() && !(popup_ && popup_->isVisible()) && column == selCol_ && row == selRow_);
}

int TNastawy::labelLeft(int column) const
{
    return std::max(geo_.p(column, 0), geo_.p(column, 2) - longestLabel_ - kLabelGap);
}

int TNastawy::labelRoomEnd(int column, int n) const
{
    return hasDetail(n) ? std::min(geo_.p(column, 2), geo_.p(column, 6)) - 2 : geo_.p(column, 2) - 2;
}

QFont TNastawy::labelFont() const
{
    QFont f = font();
    f.setPointSize(fontSize_);
    f.setBold(true);
    return f;
}

bool TNastawy::labelCut(int column, int n) const
{
    if (n < 0) return false;
    return QFontMetrics(labelFont()).horizontalAdvance(catalogue_.LabelText(n)) >
           labelRoomEnd(column, n) - labelLeft(column);
}

void TNastawy::updateAccessibleName()
{
    // The editor draws its cells itself: the selected setting's whole label is its accessible name,
    // however much of it the cell has room for.
    const int n = cellAt(selCol_, selRow_);
    const QString name = n >= 0 ? catalogue_.LabelText(n) : QString();
    if (accessibleName() != name) setAccessibleName(name);
}

bool TNastawy::warning(int n) const
{
    using S = NamedSettings;
    const int b = catalogue_.byte(n);
    return (n == S::kPetrolTime && (b < 20 || b > 120)) || (n == S::kWorkingPressure && (b < 80 || b > 200)) ||
           (n == S::kGasTemperature && (b < 148 || b > 218));
}

QString TNastawy::fitted(const QFontMetrics& fm, QString text, int width) const
{
    // A value that does not fit its box ends in "…", so that a cut text is not taken for the whole.
    return fm.elidedText(text, Qt::ElideRight, std::max(0, width));
}

void TNastawy::drawSetting(QPainter& p, const QRect& r, int column, int n, bool selected)
{
    const SettingDescriptor& d = catalogue_.descriptor(n);
    const int cls = d.cls();
    const bool disabled = catalogue_.IsLocked(n);
    const int p2 = geo_.p(column, 2), p3 = geo_.p(column, 3), p4 = geo_.p(column, 4), p5 = geo_.p(column, 5);
    const int top = r.top() + 2, h = r.height() - 4;

    // Labels of a column start at one x, so the longest ends kLabelGap pixels before the value box.
    p.setPen(pal_.dialogText);
    const int lx = labelLeft(column);
    // A label that does not fit even the smallest font ends in "…" before the value box, or before
    // the detail button where the setting has one, rather than running under it; the tooltip and
    // the accessible name have it whole.
    const int labelEnd = labelRoomEnd(column, n);
    const QString label =
        p.fontMetrics().elidedText(catalogue_.LabelText(n), Qt::ElideRight, std::max(0, labelEnd - lx));
    p.save();
    p.setClipRect(QRect(lx, r.top(), std::max(0, labelEnd - lx), r.height()));
    p.drawText(QRect(lx, r.top(), p2 - lx, r.height()), Qt::AlignLeft | Qt::AlignVCenter, label);
    p.restore();

    const int boxEnd = cls == kClassHeader ? p5 : (isList(cls) || isYesNo(cls)) ? p4 : p3;
    const QRect box(p2, top, boxEnd - p2, h);
    QColor back = pal_.field, fore = pal_.editorValueText;
    if (selected) {
        back = pal_.selectionBackground;
        fore = pal_.selectionText;
    } else if (disabled) {
        back = pal_.disabledBackground;
        fore = pal_.disabledText;
    } else if (warning(n)) {
        back = pal_.warningBackground;
    }
    p.fillRect(box, back);
    p.setPen(pal_.editorGridLines);
    p.drawRect(box.adjusted(0, 0, -1, -1));

    const QString value = catalogue_.ValueText(n);
    QFont bold = p.font();
    QFontMetrics fmBold(bold);
    const QString shown = fitted(fmBold, value, box.width() - 6);
    p.setPen(fore);
    p.drawText(box.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter, shown);
    const QString unit = catalogue_.UnitText(n);
    if (!unit.isEmpty()) {
        QFont normal = bold;
        normal.setBold(false);
        const int uw = QFontMetrics(normal).horizontalAdvance(unit);
        if (box.left() + 3 + fmBold.horizontalAdvance(shown) < box.right() - 3 - uw) {
            p.setFont(normal);
            p.drawText(box.adjusted(3, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, unit);
            p.setFont(bold);
        }
    }

    const QColor glyph = disabled ? pal_.disabledText : pal_.dialogText;
    const auto drawGlyph = [&](const QRect& b, const QString& s) {
        p.setPen(glyph);
        p.drawText(b, Qt::AlignCenter, s);
    };
    if (isYesNo(cls)) {
        const QRect b(p4, top, p5 - p4, h);
        p.fillRect(b, pal_.field);
        p.setPen(pal_.editorGridLines);
        p.drawRect(b.adjusted(0, 0, -1, -1));
        const bool set = catalogue_.byte(n) != 0;
        p.setPen(QPen(disabled ? pal_.disabledText : set ? QColor(0, 128, 0) : QColor(180, 0, 0), 3));
        const QRect in = b.adjusted(4, 4, -4, -4);
        if (set) {
            p.drawLine(in.left(), in.center().y(), in.left() + in.width() / 3, in.bottom());
            p.drawLine(in.left() + in.width() / 3, in.bottom(), in.right(), in.top());
        } else {
            p.drawLine(in.topLeft(), in.bottomRight());
            p.drawLine(in.bottomLeft(), in.topRight());
        }
    } else if (isList(cls)) {
        const QRect b(p4, top, p5 - p4, h);
        drawButtonFace(p, b);
        drawGlyph(b, QStringLiteral("▼"));
    } else if (cls != kClassHeader) {
        const QRect minus(p3, top, p4 - p3, h), plus(p4, top, p5 - p4, h);
        drawButtonFace(p, minus);
        drawButtonFace(p, plus);
        drawGlyph(minus, QStringLiteral("−"));
        drawGlyph(plus, QStringLiteral("+"));
    }
    if (hasDetail(n)) {
        const QRect b(geo_.p(column, 6), top, geo_.p(column, 7) - geo_.p(column, 6), h);
        drawButtonFace(p, b);
        drawGlyph(b, QStringLiteral("…"));
    }
}

// ---------------------------------------------------------------- mouse

void TNastawy::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    press(event->position().toPoint(), false);
}

void TNastawy::mouseReleaseEvent(QMouseEvent*)
{
    repeat_.stop();
    repeatCount_ = 0;
    repeat_.setInterval(kRepeatFirst);
}

void TNastawy::RepeatTick()
{
    press(pressPos_, true);
    ++repeatCount_;
    if (repeat_.isActive()) repeat_.setInterval(NastawyLayout::repeatInterval(repeatCount_));
}

void TNastawy::press(const QPoint& pos, bool fromTimer)
{
    if (rowCount() == 0) return;
    const QPoint cell = cellUnder(pos);
    const int column = cell.x(), row = cell.y();
    const int n = cellAt(column, row);
    const int x = pos.x();
    if (n == SettingsPages::kInjectorCorrections) {
        if (!fromTimer && OnDetail) OnDetail(n, x < geo_.p(column, 2) ? 0 : 1);
        return;
    }
    if (n < 0) return;
    if (catalogue_.Refuses(n)) return;
    selCol_ = column;
    selRow_ = row;
    const SettingDescriptor& d = catalogue_.descriptor(n);
    const int cls = d.cls();
    const int p3 = geo_.p(column, 3), p4 = geo_.p(column, 4), p5 = geo_.p(column, 5);
    const int value = catalogue_.byte(n);
    if (isList(cls)) {
        if (!fromTimer && x >= p4 && x < p5) openPopup(n, column, row);
    } else if (isYesNo(cls)) {
        if (!fromTimer && x >= p4 && x < p5) catalogue_.SetValue(n, value == 0 ? 1 : 0);
    } else if ((x >= p3 && x < p4) || (x >= p4 && x < p5)) {
        const bool down = x < p4;
        const bool room = down ? value > d.min : value < d.max;
        if (room && catalogue_.SetValue(n, down ? value - 1 : value + 1)) {
            pressPos_ = pos;
            if (!repeat_.isActive()) repeat_.start();
        } else {
            repeat_.stop();
            if (room) return;  // refused: the catalogue has beeped
            beep();
        }
    }
    if (!fromTimer && hasDetail(n) && x >= geo_.p(column, 6) && x < geo_.p(column, 7) && OnDetail) OnDetail(0, n);
    refresh();
}

void TNastawy::openPopup(int n, int column, int row)
{
    if (!popup_) {
        popup_ = new QListWidget(this);
        popup_->setObjectName(QStringLiteral("NastawyList"));
        QPalette p = popup_->palette();
        p.setColor(QPalette::Base, QColor(255, 235, 172));
        p.setColor(QPalette::Text, Qt::black);
        popup_->setPalette(p);
        popup_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        popup_->installEventFilter(this);
        connect(popup_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
            const int index = popup_->property("tag").toInt();
            const int v = popup_->row(item) + catalogue_.descriptor(index).min;
            popup_->hide();
            catalogue_.SetValue(index, v);
            setFocus();
            refresh();
        });
    }
    if (popup_->isVisible() && popup_->property("tag").toInt() == n) return;
    const SettingDescriptor& d = catalogue_.descriptor(n);
    popup_->setProperty("tag", n);
    popup_->clear();
    QFont f = font();
    f.setPointSize(fontSize_);
    popup_->setFont(f);
    int widest = 0;
    const QFontMetrics fm(f);
    for (int v = d.min; v <= d.max; ++v) {
        const QString text = catalogue_.ValueText(n, v);
        popup_->addItem(text);
        widest = std::max(widest, fm.horizontalAdvance(text));
    }
    popup_->setCurrentRow(catalogue_.byte(n) - d.min);
    const int itemHeight = std::max(1, popup_->sizeHintForRow(0));
    const QRect cell = cellRect(column, row);
    const QRect rect = NastawyLayout::popupRect(geo_.p(column, 2), geo_.p(column, 4) - geo_.p(column, 2), widest,
                                                cell.bottom() + 1, popup_->count(), itemHeight, height());
    popup_->setGeometry(rect);
    popup_->show();
    popup_->raise();
    popup_->setFocus();
}

bool TNastawy::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == popup_ && event->type() == QEvent::FocusOut) {
        popup_->hide();
        refresh();
    }
    return QWidget::eventFilter(watched, event);
}

void TNastawy::focusInEvent(QFocusEvent*) { refresh(); }
void TNastawy::focusOutEvent(QFocusEvent*) { refresh(); }

void TNastawy::wheelEvent(QWheelEvent* event)
{
    if (scroll_->isVisible()) scroll_->setValue(scroll_->value() - event->angleDelta().y() / 120);
}

// ---------------------------------------------------------------- keyboard

void TNastawy::keyPressEvent(QKeyEvent* event)
{
    const int n = cellAt(selCol_, selRow_);
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right: {
            if (n < 0) {
                beep();
                break;
            }
            const SettingDescriptor& d = catalogue_.descriptor(n);
            const int v = catalogue_.byte(n);
            const bool down = event->key() == Qt::Key_Left;
            if (down ? v > d.min : v < d.max) catalogue_.SetValue(n, down ? v - 1 : v + 1);
            else beep();
            break;
        }
        case Qt::Key_Up:
            if (selRow_ > 1) --selRow_;
            else beep();
            break;
        case Qt::Key_Down:
            if (selRow_ + 1 < rowCount()) ++selRow_;
            else beep();
            break;
        default:
            // The editor takes no typed numbers: a digit shows how a value is changed instead.
            if (!event->text().isEmpty() && event->text().at(0).isDigit()) {
                const QRect cell = cellRect(selCol_, selRow_);
                QToolTip::showText(mapToGlobal(QPoint(geo_.p(selCol_, 2), cell.bottom())),
                                   TextById(OwnText::EditorHint), this);
                return;
            }
            QWidget::keyPressEvent(event);
            return;
    }
    if (scroll_->isVisible()) {
        if (selRow_ < firstRow_) scroll_->setValue(selRow_);
        else if (selRow_ >= firstRow_ + visibleRows()) scroll_->setValue(selRow_ - visibleRows() + 1);
    }
    refresh();
}

// A resting mouse shows how a value is changed: typed digits do nothing here, which a new user
// would not guess.
bool TNastawy::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        // Over a label cut for want of room: the whole label first.
        const auto* help = static_cast<QHelpEvent*>(event);
        QString tip = TextById(OwnText::EditorHint);
        if (rowCount() > 0) {
            const QPoint cell = cellUnder(help->pos());
            const int n = cellAt(cell.x(), cell.y());
            if (labelCut(cell.x(), n)) tip = catalogue_.LabelText(n) + QStringLiteral("\n\n") + tip;
        }
        QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}
