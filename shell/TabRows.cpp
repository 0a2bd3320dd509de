#include "shell/TabRows.h"

#include <QtCore/QEvent>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QToolButton>

#include <algorithm>

#include "base/TextTable.h"
#include "shell/FrameLayout.h"
#include "shell/WindowParts.h"

namespace {

// The map page behind each button of the map row, and the captions of both rows.
constexpr int kMapPages[TabRows::kMapTabs] = {0, 1, 2, 3, 4, 6, 7};
constexpr int kMapCaptions[TabRows::kMapTabs] = {1210, 1211, 1212, 1213, 1214, 1216, 1218};
constexpr const char* kMapNames[TabRows::kMapTabs] = {"SpeedButton11", "SpeedButton12", "SpeedButton13",
                                                      "SpeedButton14", "SpeedButton15", "SpeedButton21",
                                                      "SpeedButton22"};
// Map pages on the first line; the rest are admin pages on the second.
constexpr int kMapFirstLine = 5;
// Live frame byte 11: an error is active (red tab), stored or pending (green tab).
const QColor kRed(255, 0, 0);
const QColor kDarkGreen(0, 128, 0);

QToolButton* makeTab(QWidget* row, const QString& name, QButtonGroup* group, int id)
{
    auto* b = new QToolButton(row);
    b->setObjectName(name);
    b->setCheckable(true);
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::NoFocus);
    group->addButton(b, id);
    return b;
}

void setFontSize(QToolButton* b, int size)
{
    QFont f = b->font();
    f.setPointSize(size);
    b->setFont(f);
}

}  // namespace

TabRows::TabRows(QWidget* parent, QVBoxLayout* layout) : QObject(parent)
{
    for (int r = 0; r < 3; ++r) {
        rows_[r] = new QWidget(parent);
        rows_[r]->setObjectName(QStringLiteral("PanelTopTab%1").arg(r + 1));
        rows_[r]->installEventFilter(this);
        layout->addWidget(rows_[r]);
    }
    rows_[1]->setFixedHeight(kMapRowHeight);
    rows_[1]->hide();
    rows_[2]->hide();

    auto* g1 = new QButtonGroup(this);
    for (int i = 0; i < kTopTabs; ++i) {
        row1_[i] = makeTab(rows_[0], QStringLiteral("SpeedButton%1").arg(i + 1), g1, i);
        connect(row1_[i], &QToolButton::clicked, this, [this, i] { Q_EMIT topTabClicked(i); });
    }
    row1_[0]->setChecked(true);
    auto* g2 = new QButtonGroup(this);
    for (int i = 0; i < kMapTabs; ++i) {
        const int page = kMapPages[i];
        row2_[i] = makeTab(rows_[1], QLatin1String(kMapNames[i]), g2, page);
        connect(row2_[i], &QToolButton::clicked, this, [this, page] { Q_EMIT mapPageClicked(page); });
    }
    showAdminMapPages(false);
    row2_[0]->setChecked(true);
    auto* g3 = new QButtonGroup(this);
    for (int i = 0; i < kObdTabs; ++i) {
        row3_[i] = makeTab(rows_[2], QStringLiteral("SpeedButton3%1").arg(i + 1), g3, i);
        connect(row3_[i], &QToolButton::clicked, this, [this, i] { Q_EMIT obdPageClicked(i); });
    }
    row3_[0]->setChecked(true);
}

bool TabRows::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) fit();
    return QObject::eventFilter(watched, event);
}

void TabRows::relabel()
{
    for (int i = 0; i < kTopTabs; ++i) row1_[i]->setText(TextById(1200 + i) + QStringLiteral(" [F%1]").arg(i + 1));
    for (int i = 0; i < kMapTabs; ++i) row2_[i]->setText(TextById(kMapCaptions[i]));
    row3_[0]->setText(QStringLiteral("ELM"));
    row3_[1]->setText(QStringLiteral("Moduł"));
    row3_[2]->setText(TextById(1100));
    row3_[3]->setText(TextById(1211));
    fit();
}

void TabRows::fit()
{
    const auto width = [this](const QString& text, int size) {
        QFont f = row1_[0]->font();
        f.setPointSize(size);
        return QFontMetrics(f).horizontalAdvance(text);
    };
    const int h1 = rows_[0]->height();
    const int bw1 = rows_[0]->width() / kTopTabs;
    QStringList captions;
    for (int i = 0; i < kTopTabs; ++i) captions << TextById(1200 + i) + QStringLiteral(" [F%1]").arg(i + 1);
    int s1 = FrameLayout::fitFontSize(captions, bw1 - 2, 14, 7, width);
    // In a narrow window even the smallest font may not hold "Oscilloscope [F5]": the key then goes
    // to the tooltip and the caption keeps the tab's name whole.
    const bool keysFit =
        std::all_of(captions.begin(), captions.end(), [&](const QString& c) { return width(c, s1) <= bw1 - 2; });
    for (int i = 0; i < kTopTabs; ++i) {
        row1_[i]->setText(keysFit ? captions[i] : TextById(1200 + i));
        row1_[i]->setToolTip(QStringLiteral("F%1").arg(i + 1));
    }
    if (!keysFit) {
        captions.clear();
        for (QToolButton* b : row1_) captions << b->text();
        s1 = FrameLayout::fitFontSize(captions, bw1 - 2, 14, 7, width);
    }
    for (int i = 0; i < kTopTabs; ++i) {
        row1_[i]->setGeometry(i * bw1, 0, bw1, h1);
        setFontSize(row1_[i], s1);
    }

    // Both lines of map pages share one font, fitted to the room a caption has inside its button,
    // the same room the cut below is measured in.
    const int bw2 = rows_[1]->width() / kMapFirstLine;
    const int room2 = bw2 - 8;
    captions.clear();
    for (int i = 0; i < kMapTabs; ++i) captions << TextById(kMapCaptions[i]);
    const int s2 = FrameLayout::fitFontSize(captions, room2, 12, 7, width);
    for (int i = 0; i < kMapTabs; ++i) {
        const bool first = i < kMapFirstLine;
        const int col = first ? i : i - kMapFirstLine;
        row2_[i]->setGeometry(col * bw2, first ? 0 : kMapRowHeight, bw2, kMapRowHeight);
        setFontSize(row2_[i], s2);
        // A page name that does not fit even the smallest font ends in "…" and is whole in the
        // tooltip and the accessible name, rather than cut at both ends.
        const QString caption = TextById(kMapCaptions[i]);
        const bool fits = width(caption, s2) <= room2;
        row2_[i]->setText(fits ? caption : QFontMetrics(row2_[i]->font()).elidedText(caption, Qt::ElideRight, room2));
        row2_[i]->setToolTip(fits ? QString() : caption);
        row2_[i]->setAccessibleName(caption);
    }

    // The OBD row is as wide as the top row; a hidden page leaves no gap.
    const int bw3 = rows_[0]->width() / kObdTabs;
    captions.clear();
    for (QToolButton* b : row3_) captions << b->text();
    const int s3 = FrameLayout::fitFontSize(captions, bw3 - 2, 14, 7, width);
    int x = 0;
    for (QToolButton* b : row3_) {
        setFontSize(b, s3);
        if (b->isHidden()) continue;
        b->setGeometry(x, 0, bw3, rows_[2]->height());
        x += bw3;
    }
}

void TabRows::highlightTop(int tab, const QColor& active)
{
    for (QToolButton* b : row1_) WindowParts::setButtonTextColour(b, WindowParts::systemWindowText());
    if (tab >= 0) WindowParts::setButtonTextColour(row1_[tab], active);
    diagnosticsNormal_ = row1_[Diagnostics]->palette().color(QPalette::ButtonText);
}

void TabRows::highlightMap(bool any, const QColor& active)
{
    for (QToolButton* b : row2_)
        WindowParts::setButtonTextColour(b, any && b->isChecked() ? active : WindowParts::systemWindowText());
}

void TabRows::highlightObd(int page, const QColor& active)
{
    for (int i = 0; i < kObdTabs; ++i)
        WindowParts::setButtonTextColour(row3_[i], i == page ? active : WindowParts::systemWindowText());
}

void TabRows::showAdminMapPages(bool shown)
{
    rows_[1]->setFixedHeight(shown ? 2 * kMapRowHeight : kMapRowHeight);
    for (int i = kMapFirstLine; i < kMapTabs; ++i) row2_[i]->setVisible(shown);
}

void TabRows::liveFrame(const LiveFrame& frame)
{
    const QColor colour = frame.errorActive() ? kRed : frame.errorNoted() ? kDarkGreen : diagnosticsNormal_;
    QToolButton* tab = row1_[Diagnostics];
    if (tab->palette().color(QPalette::ButtonText) != colour) WindowParts::setButtonTextColour(tab, colour);
}
