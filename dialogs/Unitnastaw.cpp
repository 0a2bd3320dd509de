#include "dialogs/Unitnastaw.h"

#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "base/TextTable.h"
#include "link/Tsterownik.h"
#include "settings/NamedSettings.h"
#include "settings/SettingsCatalogue.h"
#include "ui/UpDown.h"

namespace {

constexpr int kRowTop = 20;
constexpr int kRowPitch = 42;
using S = NamedSettings;

// Settings of rows 1..3 by opening setting; 0 = hidden row.
std::array<int, 3> rowsOf(int opening)
{
    switch (opening) {
        case S::kFasterSwitching: return {0, S::kFasterSwitchingTemperature, 0};
        case S::kMinimumGasPressure: return {S::kMinimumGasPressure, S::kPressureErrorTime, S::kOffAtFirstPressureDrop};
        case S::kSwitchingSignal: return {0, S::kSwitchBrightness, S::kSwitchVolume};
        default: return {0, 0, 0};
    }
}

}  // namespace

TFormNastaw::TFormNastaw(QWidget* parent, WorkshopSession* session) : EditorDialog(parent, session)
{
    setObjectName(QStringLiteral("FormNastaw"));
    setFixedSize(kClientWidth, kClientHeight);
    for (int i = 0; i < 3; ++i) {
        const int y = kRowTop + i * kRowPitch;
        Labels[i] = new QLabel(this);
        Labels[i]->setGeometry(12, y - 6, 208, 36);  // room for a label of two lines
        Labels[i]->setWordWrap(true);
        Edits[i] = makeBox(this, QRect(228, y, 100, 24));
        UpDowns[i] = new UpDown(Qt::Horizontal, this);
        UpDowns[i]->setGeometry(332, y, 40, 24);
        UpDown* u = UpDowns[i];
        u->setBuddy(Edits[i], [this, u](int raw) { return shownValue(u->tag, raw); });
        connect(u, &UpDown::ChangingEx, this, [this, u](int position) { UpDown1ChangingEx(u, position); });
    }
    ComboBox1 = new QComboBox(this);
    ComboBox1->setGeometry(228, kRowTop, 180, 24);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setGeometry(316, 164, 92, 30);
    BitBtn1->setDefault(true);
    connect(ComboBox1, &QComboBox::activated, this, &TFormNastaw::ComboBox1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormNastaw::BitBtn1Click);
}

void TFormNastaw::Relabel()
{
    setWindowTitle(QStringLiteral("KAVELO"));
    if (!Catalogue || !isVisible()) return;
    arrange();
    refresh();
}

// Labels, list texts and which controls show, for the opening setting.
void TFormNastaw::arrange()
{
    SettingsCatalogue& cat = *Catalogue;
    const std::array<int, 3> rows = rowsOf(opening);
    const bool list = opening == S::kFasterSwitching || opening == S::kSwitchingSignal;
    const QString space = QStringLiteral(" ");
    switch (opening) {
        case S::kFasterSwitching:
            Labels[0]->setText(cat.LabelText(S::kFasterSwitching));
            Labels[1]->setText(cat.LabelText(S::kFasterSwitchingTemperature) + space + TextById(1054));
            break;
        case S::kMinimumGasPressure:
            Labels[0]->setText(cat.LabelText(S::kMinimumGasPressure) + space + TextById(1051));
            Labels[1]->setText(cat.LabelText(S::kPressureErrorTime) + space + TextById(1055));
            Labels[2]->setText(cat.LabelText(S::kOffAtFirstPressureDrop));
            break;
        case S::kSwitchingSignal:
            Labels[0]->setText(cat.LabelText(S::kSwitchingSignal));
            Labels[1]->setText(cat.LabelText(S::kSwitchBrightness));
            Labels[2]->setText(cat.LabelText(S::kSwitchVolume));
            break;
        default: break;
    }
    ComboBox1->setVisible(list);
    if (list) {
        const int count = opening == S::kFasterSwitching ? 3 : 4;
        const int selected = ComboBox1->count() == count ? ComboBox1->currentIndex() : cat.byte(opening);
        ComboBox1->clear();
        for (int v = 0; v < count; ++v) ComboBox1->addItem(cat.ValueText(opening, v));
        ComboBox1->setCurrentIndex(selected >= 0 && selected < count ? selected : -1);
    }
    for (int i = 0; i < 3; ++i) {
        Edits[i]->setVisible(rows[i] != 0);
        UpDowns[i]->setVisible(rows[i] != 0);
        UpDowns[i]->tag = rows[i];
    }
    Labels[2]->setVisible(rows[2] != 0);
}

bool TFormNastaw::FormShow()
{
    if (!Catalogue) return false;
    ComboBox1->clear();
    arrange();
    SettingsCatalogue& cat = *Catalogue;
    for (UpDown* u : UpDowns) {
        // A hidden row has tag 0 and so takes setting 0's empty descriptor.
        const SettingDescriptor& d = cat.descriptor(u->tag);
        u->setRange(d.min, d.max);
        u->setPosition(cat.byte(u->tag));
    }
    refresh();
    return true;
}

void TFormNastaw::ComboBox1Click(int index)
{
    if (!Catalogue || index < 0) return;
    Catalogue->SetValue(opening, index);
}

void TFormNastaw::UpDown1ChangingEx(UpDown* upDown, int newPosition)
{
    if (!Catalogue || upDown->tag == 0) return;
    SettingsCatalogue& cat = *Catalogue;
    if (newPosition != cat.byte(upDown->tag)) {
        cat.SetValue(upDown->tag, newPosition);
        // The controller sounds at the new volume.
        if (upDown->tag == S::kSwitchVolume && Sterownik) Sterownik->requestCommand(TSterownik::CmdSpeakerTest);
    }
    refresh();
}

void TFormNastaw::refresh()
{
    for (int i = 0; i < 3; ++i)
        if (UpDowns[i]->tag != 0) Edits[i]->setText(Catalogue->ValueText(UpDowns[i]->tag));
}
