#include "dialogs/CompareWindow.h"

#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QTreeWidget>
#include <QtWidgets/QVBoxLayout>

#include "base/NumberLocale.h"
#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "charts/TableValues.h"
#include "dialogs/DiffHeatMap.h"
#include "link/Tsterownik.h"
#include "settings/NamedSettings.h"
#include "ui/CutTextTips.h"

namespace {

// Item data: what a row stands for.
constexpr int kRoleKind = Qt::UserRole;       // 1 setting, 2 region
constexpr int kRoleIndex = Qt::UserRole + 1;  // settings index, or index into ConfigDiff::regions()

}  // namespace

CompareWindow::CompareWindow(QWidget* parent, TSterownik& link, const MemoryImage& file, const QString& fileName,
                             const ThemePalette& palette)
    : QDialog(parent), link_(link), file_(file), palette_(palette)
{
    setObjectName(QStringLiteral("FormCompare"));
    setWindowTitle(QStringLiteral("KAVELO - ") + TextById(OwnText::CompareCaption) + QStringLiteral(" - ") + fileName);
    resize(980, 640);

    ListSettings = new QTreeWidget(this);
    ListSettings->setObjectName(QStringLiteral("ListSettings"));
    ListSettings->setRootIsDecorated(false);
    ListSettings->setHeaderLabels(
        {TextById(OwnText::ColumnSetting), TextById(OwnText::ColumnController), TextById(OwnText::ColumnFile)});
    ListSettings->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    // A text cut for want of room is whole in its tooltip (and, as the item's text, in its
    // accessible name).
    ListSettings->setItemDelegate(new CutTextTips(ListSettings));

    ListRegions = new QTreeWidget(this);
    ListRegions->setObjectName(QStringLiteral("ListRegions"));
    ListRegions->setRootIsDecorated(false);
    ListRegions->setHeaderLabels({TextById(OwnText::ColumnRegion), TextById(OwnText::ColumnDifference)});
    ListRegions->setItemDelegate(new CutTextTips(ListRegions));
    HeatMap = new DiffHeatMap(this);

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(ListRegions, 1);
    rightLayout->addWidget(HeatMap, 3);

    auto* split = new QSplitter(this);
    split->addWidget(ListSettings);
    split->addWidget(right);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);

    LabelSummary = new QLabel(this);
    BtnTake = new QPushButton(TextById(OwnText::TakeFromFile), this);
    BtnTake->setObjectName(QStringLiteral("BtnTake"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(BtnTake, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(BtnTake, &QPushButton::clicked, this, &CompareWindow::TakeFromFile);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LabelSummary, 1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);

    // Selecting in one list clears the other, so "Take from file" has one target.
    connect(ListSettings, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!ListSettings->selectedItems().isEmpty()) ListRegions->clearSelection();
    });
    connect(ListRegions, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!ListRegions->selectedItems().isEmpty()) ListSettings->clearSelection();
        showRegion();
    });

    QPalette p = this->palette();
    if (palette_.background.isValid()) p.setColor(QPalette::Window, palette_.background);
    if (palette_.dialogText.isValid()) p.setColor(QPalette::WindowText, palette_.dialogText);
    setPalette(p);
    Refresh();
}

void CompareWindow::Refresh()
{
    diff_ = ConfigDiff::compare(link_.mem, file_);
    ListSettings->clear();
    ListRegions->clear();
    int page = -2;
    for (const ConfigDiff::Setting& s : diff_.settings) {
        if (s.page != page) {
            page = s.page;
            auto* header = new QTreeWidgetItem(ListSettings);
            header->setText(0, page < 0 ? TextById(OwnText::OtherSettings)
                                        : TextById(OwnText::Page) + QLatin1Char(' ') + QString::number(page));
            QFont bold = header->font(0);
            bold.setBold(true);
            header->setFont(0, bold);
            header->setFlags(Qt::ItemIsEnabled);
        }
        auto* item = new QTreeWidgetItem(ListSettings);
        const QString unit = s.unit.isEmpty() ? QString() : QLatin1Char(' ') + s.unit;
        item->setText(0, s.label);
        item->setText(1, s.textA + unit);
        item->setText(2, s.textB + unit);
        item->setData(0, kRoleKind, 1);
        item->setData(0, kRoleIndex, s.index);
    }
    for (const ConfigDiff::RegionChange& r : diff_.regions) {
        auto* item = new QTreeWidgetItem(ListRegions);
        item->setText(0, TextById(ConfigDiff::regions()[r.region].nameId));
        QString text = ConfigDiff::regionText(r);
        if (r.otherBytes) text += QStringLiteral(", ") + TextById(OwnText::PointsDiffer);
        item->setText(1, text);
        item->setData(0, kRoleKind, 2);
        item->setData(0, kRoleIndex, r.region);
    }
    // The values and the region names take the room they need; the setting names have the rest.
    ListRegions->resizeColumnToContents(0);
    ListSettings->resizeColumnToContents(1);
    ListSettings->resizeColumnToContents(2);
    LabelSummary->setText(diff_.equal() ? TextById(OwnText::NoDifferences) : QString());
    HeatMap->clear();
}

void CompareWindow::showRegion()
{
    const QList<QTreeWidgetItem*> selected = ListRegions->selectedItems();
    if (selected.isEmpty()) {
        HeatMap->clear();
        return;
    }
    const ConfigDiff::Region& region = ConfigDiff::regions()[selected.first()->data(0, kRoleIndex).toInt()];
    HeatMap->setData(ConfigDiff::cellDifferences(link_.mem, file_, region), region.decimals, palette_.chart,
                     axesOf(region));
}

// The axes a region's cells stand on, labelled as the map and chart views label them: the maps and
// RPM corrections over the controller's RPM and load breakpoints, the multiplier over the petrol
// injection time (0.1 ms a byte), the correction curves by their table bytes.
DiffHeatMap::Axes CompareWindow::axesOf(const ConfigDiff::Region& region) const
{
    DiffHeatMap::Axes axes;
    axes.unit = region.unitId ? TextById(region.unitId) : QString();
    NamedSettings settings(link_);
    const bool rpmCorrection = region.mask == 0x8 || region.mask == 0x10;
    const bool map = rpmCorrection || region.mask >= 0x10000;
    if (map) {
        axes.mapLayout = true;
        const bool overTime = rpmCorrection && settings.rpmCorrectionOverTime();
        const bool voltage = settings.loadIsVoltage();
        axes.columnTitle = TextById(OwnText::AxisRpm);
        axes.rowTitle = overTime ? TextById(OwnText::AxisTime)
                                 : TextById(OwnText::AxisLoad) + QLatin1Char(' ') + TextById(voltage ? 1050 : 1051);
        for (int c = 0; c < NamedSettings::kBreakpoints; ++c)
            axes.columns << TableValues::rpmHeader(settings.rpmBreakpoint(c));
        for (int l = NamedSettings::kBreakpoints - 1; l >= 0; --l)
            axes.rows << (overTime ? TableValues::timeBinHeader(l)
                                   : TableValues::loadHeader(settings.loadBreakpoint(l), voltage));
        return axes;
    }
    const bool multiplier = region.mask == 0x2 || region.mask == 0x4;
    for (int i = 0; i < 16; ++i) {
        if (multiplier) {
            axes.columns << QLatin1Char('+') + WithDecimalPoint(QString::number(i * 0.1, 'f', 1));
            axes.rows << WithDecimalPoint(QString::number(i * 1.6, 'f', 1));
        } else {
            axes.columns << QLatin1Char('+') + QString::number(i);
            axes.rows << QString::number(16 * i);
        }
    }
    axes.columnTitle = axes.rowTitle = TextById(multiplier ? OwnText::AxisTime : OwnText::AxisByte);
    return axes;
}

bool CompareWindow::TakeFromFile()
{
    QList<QTreeWidgetItem*> selected = ListSettings->selectedItems();
    if (selected.isEmpty()) selected = ListRegions->selectedItems();
    if (selected.isEmpty()) return false;
    const int kind = selected.first()->data(0, kRoleKind).toInt();
    const int index = selected.first()->data(0, kRoleIndex).toInt();
    if (kind == 1) {
        NamedSettings(link_).takeSetting(file_, index);
    } else if (kind == 2) {
        NamedSettings(link_).takeRegion(file_, ConfigDiff::regions()[index]);
    } else {
        return false;
    }
    Refresh();
    return true;
}
