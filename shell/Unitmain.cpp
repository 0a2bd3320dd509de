#include "shell/Unitmain.h"

#include <QtWidgets/QLabel>
#include <QtWidgets/QStatusBar>

#include "link/Tsterownik.h"
#include "shell/TextTable.h"

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    baseCaption_ = QStringLiteral("KAVELO ") + QStringLiteral(KAVELO_VERSION);
    setWindowTitle(baseCaption_);
    resize(1024, 700);
    Sterownik1 = new TSterownik(this);
    Sterownik1->setObjectName(QStringLiteral("Sterownik1"));
    Sterownik1->OnZdarzenie = [this](int kind, int code, int value, int length) {
        LinkEvent(kind, code, value, length);
    };
    statusBar()->showMessage(QStringLiteral("-"));
    programTexts().load();
}

TForm1::~TForm1() = default;

QString TForm1::TextById(int id) { return ::TextById(id); }

void TForm1::FormShow()
{
    if (portOverride > 0) Sterownik1->PortOpen(portOverride);
    else Sterownik1->PortOpen(-1);
    updateCaption();
}

void TForm1::LinkEvent(int kind, int code, int, int)
{
    if (kind == kEventFrameReceived && code == 0x81) updateCaption();
}

void TForm1::updateCaption()
{
    QString caption = baseCaption_;
    const QString model = Sterownik1->StrWersjaSterownika();
    if (!model.isEmpty()) caption += QStringLiteral("  ") + model + QStringLiteral("  ") + Sterownik1->StrWersjaCyframi(0x0E);
    setWindowTitle(caption);
    statusBar()->showMessage(Sterownik1->PortConnected() ? Sterownik1->portName : QStringLiteral("NO CONNECTION"));
}
