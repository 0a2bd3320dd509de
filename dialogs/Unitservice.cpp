#include "dialogs/Unitservice.h"

#include <QtCore/QSignalBlocker>
#include <QtCore/QTimer>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableWidget>

#include <algorithm>
#include <array>

#include "base/TextTable.h"
#include "dialogs/ServiceMark.h"
#include "link/Tsterownik.h"
#include "settings/NamedSettings.h"

namespace {

constexpr uint32_t kHistoryRead = 0x80;
constexpr int kColumnWidths[6] = {99, 70, 70, 70, 70, 125};
constexpr int kHeaderIds[6] = {1347, 1348, 1349, 1350, 1351, 1346};

QLabel* label(QWidget* parent, int x, int y, int w)
{
    auto* l = new QLabel(parent);
    l->setGeometry(x, y, w, 22);
    return l;
}

}  // namespace

TFormService::TFormService(QWidget* parent, WorkshopSession* session) : EditorDialog(parent, session)
{
    setObjectName(QStringLiteral("FormService"));
    setFixedSize(kClientWidth, kClientHeight);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(8, 4, 584, 340);
    LabelPetrol = label(GroupBox1, 12, 24, 180);
    EditPetrol = makeBox(GroupBox1, QRect(12, 48, 180, 24));
    LabelGas = label(GroupBox1, 202, 24, 180);
    EditGas = makeBox(GroupBox1, QRect(202, 48, 180, 24));
    LabelUser = label(GroupBox1, 392, 24, 180);
    EditUser = makeBox(GroupBox1, QRect(392, 48, 180, 24));

    StringGrid1 = new QTableWidget(kHistoryRows, 6, GroupBox1);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(12, 82, 526, 248);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    StringGrid1->setFocusPolicy(Qt::NoFocus);
    StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    for (int c = 0; c < 6; ++c) {
        StringGrid1->setColumnWidth(c, kColumnWidths[c]);
        for (int r = 0; r < kHistoryRows; ++r) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            StringGrid1->setItem(r, c, item);
        }
    }

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setGeometry(8, 350, 584, 82);
    LabelNext = label(GroupBox2, 12, 22, 180);
    CheckBox1 = new QCheckBox(GroupBox2);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(12, 48, 22, 22);
    EditLeft = makeBox(GroupBox2, QRect(38, 47, 150, 24));
    EditLeft->setObjectName(QStringLiteral("EditLeft"));
    LabelDistance = label(GroupBox2, 220, 22, 240);
    ComboBox1 = new QComboBox(GroupBox2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(220, 47, 100, 24);
    for (int i = 0; i < ServiceMark::kDistanceCount; ++i)
        ComboBox1->addItem(QStringLiteral("%1").arg((i + 1) * 1000, 5));
    ComboBox1->setCurrentIndex(ServiceMark::kDefaultDistanceIndex);
    LabelKm = label(GroupBox2, 326, 48, 50);
    BitBtn2 = new QPushButton(GroupBox2);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(392, 45, 100, 28);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(500, 440, 92, 32);
    BitBtn1->setDefault(true);

    // Only a click is the user's: the refresh and "Set" change the box without a signal.
    connect(CheckBox1, &QCheckBox::clicked, this, &TFormService::CheckBox1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormService::BitBtn2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormService::BitBtn1Click);
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TFormService::Timer1Timer);
}

void TFormService::Relabel()
{
    setWindowTitle(QStringLiteral("KAVELO - ") + TextById(1340));
    GroupBox1->setTitle(QLatin1Char(' ') + TextById(1341) + QLatin1Char(' '));
    GroupBox2->setTitle(QLatin1Char(' ') + TextById(1342) + QLatin1Char(' '));
    LabelPetrol->setText(TextById(1343));
    LabelGas->setText(TextById(1344));
    LabelUser->setText(TextById(1345));
    LabelNext->setText(TextById(1352));
    LabelDistance->setText(TextById(1353));
    LabelKm->setText(TextById(1058));
    BitBtn2->setText(TextById(1354));
    for (int c = 0; c < 6; ++c) StringGrid1->item(0, c)->setText(TextById(kHeaderIds[c]));
    fitColumns();
}

void TFormService::fitColumns()
{
    // The four narrow columns widen to their heading ("Przywrócenie", "Restauración"), taking the room
    // from the user column, which keeps at least the width of its own heading.
    const QFontMetrics fm(StringGrid1->font());
    const auto needed = [&](int c) { return fm.horizontalAdvance(StringGrid1->item(0, c)->text()) + 10; };
    std::array<int, 6> widths{};
    int total = 0;
    for (int c = 0; c < 6; ++c) {
        widths[static_cast<size_t>(c)] = c >= 1 && c <= 4 ? std::max(kColumnWidths[c], needed(c)) : kColumnWidths[c];
        total += widths[static_cast<size_t>(c)];
    }
    const int room = StringGrid1->width() - 2 * StringGrid1->frameWidth();
    if (total > room) widths[5] = std::max(needed(5), widths[5] - (total - room));
    for (int c = 0; c < 6; ++c) StringGrid1->setColumnWidth(c, widths[static_cast<size_t>(c)]);
}

void TFormService::ApplyTheme(const ThemePalette& palette)
{
    EditorDialog::ApplyTheme(palette);
    // A disabled time-left box (reminder off) still shows its value, in the grey of a disabled text.
    QPalette p = EditLeft->palette();
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
    EditLeft->setPalette(p);
    // The header row is the grid's fixed row, in the dialog's background.
    for (int c = 0; c < 6; ++c) {
        QTableWidgetItem* item = StringGrid1->item(0, c);
        if (palette.background.isValid()) item->setBackground(palette.background);
        if (palette.dialogText.isValid()) item->setForeground(palette.dialogText);
    }
}

void TFormService::showReminder(bool on)
{
    const QSignalBlocker block(CheckBox1);
    CheckBox1->setChecked(on);
    EditLeft->setEnabled(on);
}

void TFormService::Refresh()
{
    if (!Sterownik) return;
    const TSterownik& s = *Sterownik;
    EditPetrol->setText(s.StrCzasNaBenzynie());
    EditGas->setText(s.StrCzasNaGazie());
    EditUser->setText(s.StrIdentWlasny());
    EditLeft->setText(s.StrCzasPrzegladu());
    showReminder(NamedSettings(*Sterownik).serviceReminder());
    for (int c = 0; c < 6; ++c)
        for (int e = 0; e < kHistoryRows - 1; ++e) StringGrid1->item(e + 1, c)->setText(s.StrHistoria(c, e));
}

bool TFormService::FormShow()
{
    if (!Sterownik) return false;
    Refresh();
    Timer1->start();
    return true;
}

void TFormService::Timer1Timer()
{
    if (!Sterownik || !Sterownik->readsDone(kHistoryRead)) return;
    Timer1->stop();
    Refresh();
}

void TFormService::CheckBox1Click()
{
    if (!Sterownik) return;
    NamedSettings settings(*Sterownik);
    settings.setServiceReminder(!settings.serviceReminder());
    showReminder(settings.serviceReminder());
}

void TFormService::BitBtn2Click()
{
    if (!Sterownik) return;
    TSterownik& s = *Sterownik;
    const int mark = ServiceMark::mark(s.mem.identityWord(76), s.mem.identityWord(74), ComboBox1->currentIndex());
    NamedSettings(s).setServiceMark(mark);
    EditLeft->setText(s.StrCzasPrzegladu());
    showReminder(true);
}

void TFormService::hideEvent(QHideEvent* event)
{
    Timer1->stop();
    EditorDialog::hideEvent(event);
}
