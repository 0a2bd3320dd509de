#include "dialogs/Unitdevice.h"

#include <QtCore/QTimer>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "base/TextTable.h"
#include "link/Tsterownik.h"

namespace {
constexpr uint32_t kHistoryRead = 0x80;
}

TFormDevice::TFormDevice(QWidget* parent, WorkshopSession* session) : EditorDialog(parent, session)
{
    setObjectName(QStringLiteral("FormDevice"));
    setFixedSize(kClientWidth, kClientHeight);
    for (int i = 0; i < 5; ++i) {
        Labels[i] = new QLabel(this);
        Labels[i]->setGeometry(32, 32 + 56 * i, 200, 24);
        Edits[i] = makeBox(this, QRect(240, 30 + 56 * i, 320, 26));
        Edits[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
    }
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(480, 352, 92, 30);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormDevice::BitBtn1Click);
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TFormDevice::Timer1Timer);
}

void TFormDevice::Relabel()
{
    setWindowTitle(QStringLiteral("KAVELO - ") + TextById(1330));
    for (int i = 0; i < 5; ++i) Labels[i]->setText(TextById(1331 + i));
}

void TFormDevice::Refresh()
{
    if (!Sterownik) return;
    const TSterownik& s = *Sterownik;
    Edits[0]->setText(s.StrWersjaSterownika());
    Edits[1]->setText(s.StrKodKreskowy());
    Edits[2]->setText(s.StrDataProdukcji());
    Edits[3]->setText(s.StrWersjaCyframi(0x0E));
    Edits[4]->setText(s.StrIleWtryskiwaczy());
}

bool TFormDevice::FormShow()
{
    if (!Sterownik) return false;
    Refresh();
    Timer1->start();
    return true;
}

void TFormDevice::Timer1Timer()
{
    if (!Sterownik || !Sterownik->readsDone(kHistoryRead)) return;
    Timer1->stop();
    Refresh();
}

void TFormDevice::hideEvent(QHideEvent* event)
{
    Timer1->stop();
    EditorDialog::hideEvent(event);
}
