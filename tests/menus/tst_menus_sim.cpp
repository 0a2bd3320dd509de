// The window against the simulated controller on a pseudo-terminal: the transmission log takes the
// link's TX and RX lines in their colours only while "Transmisja" is ticked, the device dialog
// fills in after the first reads, and a calibration stopped from the window leaves the controller
// on petrol with every gas injector of the installation on.
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtGui/QTextBlock>
#include <QtTest/QtTest>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QTextEdit>

#include "base/TextTable.h"
#include "dialogs/Unitadmin.h"
#include "dialogs/Unitdevice.h"
#include "dialogs/Unitservice.h"
#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "shell/MainMenu.h"
#include "shell/Unitmain.h"
#include "shell/WindowDialogs.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"
#include "tests/WindowSimRig.h"

namespace {

struct Bench : WindowSimRig {
    Bench() { start(); }
};

// Lines of the log window with the colour of each line's first character.
QList<QPair<QString, QColor>> logLines(const TFormAdmin& a)
{
    QList<QPair<QString, QColor>> lines;
    for (QTextBlock b = a.RichEdit1->document()->begin(); b.isValid(); b = b.next()) {
        QColor colour;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            colour = it.fragment().charFormat().foreground().color();
            break;
        }
        lines.append({b.text(), colour});
    }
    return lines;
}

}  // namespace

class TstMenusSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void transmissionLogTakesTxAndRxWhileTicked()
    {
        Bench b;
        TFormAdmin* a = b.form.dialogs()->FormAdmin();
        b.ticks(40);
        QVERIFY(a->RichEdit1->toPlainText().isEmpty());
        QVERIFY(!b.link().OnTekst);

        b.form.menus()->MenuA0()->trigger();
        b.ticks(80);
        const auto lines = logLines(*a);
        int tx = 0;
        int rx = 0;
        for (const auto& [text, colour] : lines) {
            if (text.startsWith(QStringLiteral("  TX:"))) {
                ++tx;
                QCOMPARE(colour, QColor(128, 0, 0));
            } else if (text.startsWith(QStringLiteral("  RX:"))) {
                ++rx;
                QCOMPARE(colour, QColor(0, 0, 255));
            }
        }
        QVERIFY(tx >= 5);
        QVERIFY(rx >= 5);

        // Unticked: the window goes and nothing more is written.
        b.form.menus()->MenuA0()->trigger();
        QVERIFY(!a->isVisible());
        const int count = a->RichEdit1->document()->blockCount();
        b.ticks(40);
        QCOMPARE(a->RichEdit1->document()->blockCount(), count);
    }

    void deviceAndServiceDialogsFillInAfterTheFirstReads()
    {
        Bench b;
        TSterownik& l = b.link();
        b.ticks(4);
        QVERIFY(l.readMask & 0x80 || l.mem.identity[0] == 0);
        b.form.menus()->MenuFileServis()->trigger();
        TFormService* s = b.form.dialogs()->FormService();
        QVERIFY(s->Timer1->isActive());
        QVERIFY(b.run([&] { return l.mem.identity[0] != 0 && l.readMask == 0; }));
        s->Timer1Timer();
        QVERIFY(!s->Timer1->isActive());
        QCOMPARE(s->EditGas->text(), l.StrCzasNaGazie());
        QCOMPARE(s->EditUser->text(), l.StrIdentWlasny());
        QVERIFY(!s->EditUser->text().isEmpty());
        s->hide();

        b.form.menus()->MenuFileInfo()->trigger();
        TFormDevice* d = b.form.dialogs()->FormDevice();
        QVERIFY(!d->Edits[0]->text().isEmpty());
        QCOMPARE(d->Edits[1]->text(), l.StrKodKreskowy());
        QCOMPARE(d->Edits[3]->text(), l.StrWersjaCyframi(0x0E));
        QVERIFY(!d->Edits[4]->text().isEmpty());
        d->hide();

        // "Set" reaches the controller's settings.
        b.form.menus()->MenuFileServis()->trigger();
        QTest::mouseClick(s->BitBtn2, Qt::LeftButton);
        const int mark = l.mem.settings[101] | (l.mem.settings[102] << 8);
        QVERIFY(b.run([&] { return l.writeMask == 0 && b.sim.settings()[100] == 1; }));
        QCOMPARE(b.sim.settings()[101] | (b.sim.settings()[102] << 8), mark);
        s->hide();
    }

    void stoppedCalibrationLeavesPetrolWithAllInjectors()
    {
        Bench b;
        TSterownik& l = b.link();
        QVERIFY(b.run([&] { return l.mem.identity[0] != 0 && l.readMask == 0 && l.writeMask == 0; }));
        QTest::keyClick(&b.form, Qt::Key_F2);
        QTest::keyClick(&b.form, Qt::Key_Return);
        QVERIFY(l.liveRequestBits() & 1);
        b.ticks(200);
        // Halfway: the controller has been sent to gas and some injectors are off.
        b.sim.engine.automaticFuelChange();
        b.sim.engine.setEnabledInjectors(0x01);
        b.ticks(40);
        const uint8_t all = static_cast<uint8_t>(~l.mem.settings[31]);
        QVERIFY(b.sim.engine.fuel() != EngineModel::Petrol || b.sim.engine.enabledInjectors() != (all & 0x0F));
        QTest::keyClick(&b.form, Qt::Key_Return);
        QVERIFY(!(l.liveRequestBits() & 1));
        QVERIFY(b.form.RestoringAfterCalibration());
        QVERIFY(b.run([&] { return !b.form.RestoringAfterCalibration(); }));
        QCOMPARE(int(b.sim.engine.fuel()), int(EngineModel::Petrol));
        QCOMPARE(int(b.sim.engine.enabledInjectors()), int(all & 0x0F));
    }
};

QTEST_MAIN(TstMenusSim)
#include "tst_menus_sim.moc"
