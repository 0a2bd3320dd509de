#include "dialogs/Unitcal.h"

#include <QtWidgets/QComboBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "base/TextTable.h"
#include "settings/NamedSettings.h"
#include "settings/SettingsCatalogue.h"
#include "ui/UpDown.h"

namespace {

using S = NamedSettings;

const QColor kCream(255, 251, 240);

QLabel* label(QWidget* parent, int x, int y, int w = 176)
{
    auto* l = new QLabel(parent);
    l->setGeometry(x, y, w, 21);
    return l;
}

QComboBox* list(QWidget* parent, const QRect& r)
{
    auto* c = new QComboBox(parent);
    c->setGeometry(r);
    return c;
}

}  // namespace

TFormCal::TFormCal(QWidget* parent, WorkshopSession* session) : EditorDialog(parent, session)
{
    setObjectName(QStringLiteral("FormCal"));
    setFixedSize(kClientWidth, kClientHeight);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(8, 8, 504, 140);
    LabelPower = label(GroupBox1, 16, 30);
    EditPower = makeBox(GroupBox1, QRect(200, 30, 64, 22));
    UpDown1 = new UpDown(Qt::Vertical, GroupBox1);
    UpDown1->setGeometry(264, 30, 17, 22);
    UpDown1->setRange(25, 1000);
    UpDown1->setPosition(100);
    UpDown1->setBuddy(EditPower);
    ComboUnit = list(GroupBox1, QRect(290, 30, 72, 22));
    LabelCylinders = label(GroupBox1, 16, 66);
    ComboCylinders = list(GroupBox1, QRect(200, 66, 81, 22));
    for (int n : NozzleCalc::kCylinders) ComboCylinders->addItem(QString::number(n));
    ComboCylinders->setCurrentIndex(3);
    LabelPressure = label(GroupBox1, 16, 102);
    ComboPressure = list(GroupBox1, QRect(200, 102, 81, 22));
    for (int i = 0; i < NozzleCalc::kPressureCount; ++i)
        ComboPressure->addItem(
            QStringLiteral("%1.%2").arg((90 + 10 * i) / 100).arg((90 + 10 * i) % 100, 2, 10, QLatin1Char('0')));
    LabelBar = label(GroupBox1, 290, 102, 60);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setGeometry(8, 156, 504, 140);
    LabelFuel = label(GroupBox2, 16, 30);
    ComboFuel = list(GroupBox2, QRect(200, 30, 288, 22));
    LabelInjection = label(GroupBox2, 16, 66);
    ComboInjection = list(GroupBox2, QRect(200, 66, 288, 22));
    LabelInjector = label(GroupBox2, 16, 102);
    ComboInjector = list(GroupBox2, QRect(200, 102, 288, 22));

    LabelResult = label(this, 24, 318);
    EditResult = makeBox(this, QRect(208, 316, 89, 24));
    QFont bold = EditResult->font();
    bold.setBold(true);
    EditResult->setFont(bold);
    QPalette cream = EditResult->palette();
    cream.setColor(QPalette::Base, kCream);
    cream.setColor(QPalette::Text, Qt::black);
    EditResult->setPalette(cream);
    LabelMm = label(this, 306, 318, 60);
    LabelNote = label(this, 24, 356, 480);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setGeometry(412, 414, 92, 30);
    BitBtn1->setDefault(true);

    connect(UpDown1, &UpDown::ChangingEx, this, &TFormCal::UpDown1ChangingEx);
    for (QComboBox* c : {ComboUnit, ComboCylinders, ComboPressure, ComboFuel, ComboInjection, ComboInjector})
        connect(c, &QComboBox::activated, this, [this] { ComboBox1Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, &TFormCal::BitBtn1Click);
}

void TFormCal::Relabel()
{
    setWindowTitle(QStringLiteral("KAVELO - ") + TextById(1380));
    GroupBox1->setTitle(QLatin1Char(' ') + TextById(1381) + QLatin1Char(' '));
    GroupBox2->setTitle(QLatin1Char(' ') + TextById(1382) + QLatin1Char(' '));
    LabelPower->setText(TextById(1383));
    LabelCylinders->setText(TextById(1384));
    LabelPressure->setText(TextById(1385));
    LabelBar->setText(TextById(1051));
    LabelResult->setText(TextById(1386));
    LabelMm->setText(TextById(1052));
    LabelNote->setText(TextById(1387));
    if (ComboUnit->count() == 2) {
        ComboUnit->setItemText(0, TextById(1060));
        ComboUnit->setItemText(1, TextById(1061));
    }
    if (Catalogue && isVisible()) {
        SettingsCatalogue& cat = *Catalogue;
        LabelFuel->setText(cat.LabelText(S::kFuel));
        LabelInjection->setText(cat.LabelText(S::kPetrolInjectionType));
        LabelInjector->setText(cat.LabelText(S::kInjectorType));
        fillSettingList(ComboFuel, S::kFuel, true);
        fillSettingList(ComboInjection, S::kPetrolInjectionType, true);
        fillSettingList(ComboInjector, S::kInjectorType, true);
        ComboBox1Click();
    }
}

void TFormCal::fillSettingList(QComboBox* list, int index, bool keepSelection)
{
    SettingsCatalogue& cat = *Catalogue;
    const SettingDescriptor& d = cat.descriptor(index);
    const int selected = keepSelection ? list->currentIndex() : cat.byte(index) - d.min;
    list->clear();
    for (int v = d.min; v <= d.max; ++v) list->addItem(cat.ValueText(index, v));
    // A stored value outside the list leaves it without a selection (and the result empty).
    list->setCurrentIndex(selected >= 0 && selected < list->count() ? selected : -1);
}

bool TFormCal::FormShow()
{
    if (!Catalogue) return false;
    SettingsCatalogue& cat = *Catalogue;
    ComboUnit->clear();
    ComboUnit->addItem(TextById(1060));
    ComboUnit->addItem(TextById(1061));
    ComboUnit->setCurrentIndex(0);
    ComboPressure->setCurrentIndex(NozzleCalc::InitialPressureIndex(cat.byte(NamedSettings::kWorkingPressure)));
    LabelFuel->setText(cat.LabelText(S::kFuel));
    LabelInjection->setText(cat.LabelText(S::kPetrolInjectionType));
    LabelInjector->setText(cat.LabelText(S::kInjectorType));
    fillSettingList(ComboFuel, S::kFuel, false);
    fillSettingList(ComboInjection, S::kPetrolInjectionType, false);
    fillSettingList(ComboInjector, S::kInjectorType, false);
    ComboBox1Click();
    return true;
}

NozzleCalc::Input TFormCal::input() const
{
    NozzleCalc::Input in;
    in.power = UpDown1->position();
    in.kw = ComboUnit->currentIndex() == 1;
    const int c = ComboCylinders->currentIndex();
    in.cylinders = c >= 0 ? NozzleCalc::kCylinders[c] : 0;
    in.pressureIndex = ComboPressure->currentIndex();
    in.fuelIndex = ComboFuel->currentIndex();
    in.injectionIndex = ComboInjection->currentIndex();
    const int t = ComboInjector->currentIndex();
    const int min = Catalogue ? Catalogue->descriptor(S::kInjectorType).min : 1;
    in.injectorType = t >= 0 ? t + min : -1;
    return in;
}

void TFormCal::UpDown1ChangingEx(int) { ComboBox1Click(); }

void TFormCal::ComboBox1Click()
{
    EditPower->setText(QString::number(UpDown1->position()));
    const NozzleCalc::Result r = NozzleCalc::Compute(input());
    EditResult->setText(NozzleCalc::ResultText(r));
    LabelMm->setVisible(r.valid && r.nozzleClass == NozzleCalc::kNoClass);
}
