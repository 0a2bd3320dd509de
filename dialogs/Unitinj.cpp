#include "dialogs/Unitinj.h"

#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "base/TextTable.h"
#include "link/Tsterownik.h"
#include "settings/SettingsCatalogue.h"
#include "ui/UpDown.h"

namespace {

constexpr int kRowTop = 16;
constexpr int kRowPitch = 30;

}  // namespace

TFormInj::TFormInj(QWidget* parent, WorkshopSession* session) : EditorDialog(parent, session)
{
    setObjectName(QStringLiteral("FormInj"));
    setFixedSize(kClientWidth, kClientHeight);
    for (int i = 0; i < 8; ++i) {
        const int y = kRowTop + i * kRowPitch;
        Numbers[i] = new QLabel(QString::number(i + 1), this);
        Numbers[i]->setGeometry(40, y, 24, 22);
        Numbers[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont f = Numbers[i]->font();
        f.setBold(true);
        Numbers[i]->setFont(f);
        Edits[i] = makeBox(this, QRect(76, y, 80, 22));
        UpDowns[i] = new UpDown(Qt::Horizontal, this);
        UpDowns[i]->setGeometry(160, y, 40, 22);
        UpDowns[i]->setRange(78, 178);
        UpDowns[i]->setPosition(128);
        UpDowns[i]->tag = i;
        UpDowns[i]->setBuddy(Edits[i], [this, i](int raw) { return shownValue(kFirstSetting + i, raw); });
        connect(UpDowns[i], &UpDown::ChangingEx, this, [this, i](int position) { UpDown1ChangingEx(i, position); });
        Units[i] = new QLabel(this);
        Units[i]->setGeometry(208, y, 60, 22);
    }
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setGeometry(242, kClientHeight - 44, 92, 30);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormInj::BitBtn1Click);
}

void TFormInj::Relabel()
{
    setWindowTitle(QStringLiteral("KAVELO - ") + TextById(1281));
    for (QLabel* u : Units) u->setText(TextById(1053));
    if (isVisible()) refresh();
}

bool TFormInj::FormShow()
{
    if (!Catalogue || !Sterownik) return false;
    for (int i = 0; i < 8; ++i) UpDowns[i]->setPosition(Catalogue->byte(kFirstSetting + i));
    const int n = Sterownik->injectorCount;
    // Another injector count keeps the rows of the previous opening.
    if (n == 4 || n == 6 || n == 8) {
        for (int i = 0; i < 8; ++i)
            for (QWidget* w : {static_cast<QWidget*>(Numbers[i]), static_cast<QWidget*>(Edits[i]),
                               static_cast<QWidget*>(UpDowns[i]), static_cast<QWidget*>(Units[i])})
                w->setVisible(i < n);
        const int height = kClientHeight - (8 - n) * kRowPitch;
        setFixedSize(kClientWidth, height);
        BitBtn1->move(BitBtn1->x(), height - 44);
    }
    refresh();
    return true;
}

void TFormInj::UpDown1ChangingEx(int row, int newPosition)
{
    if (!Catalogue) return;
    // Every press is stored and so queues a settings write, even at a limit.
    Catalogue->SetValue(kFirstSetting + row, newPosition);
    refresh();
}

void TFormInj::refresh()
{
    for (int i = 0; i < 8; ++i) Edits[i]->setText(Catalogue->ValueText(kFirstSetting + i));
}
