// The assignment dialog against the simulated controller on a pseudo-terminal: a gas injector
// moved to another petrol input and one switched off reach the controller's settings and its
// enabled-injector mask.
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>

#include "DialogBench.h"
#include "dialogs/SeqGrid.h"
#include "dialogs/Unitseq.h"
#include "settings/SettingsCatalogue.h"
#include "shell/WindowDialogs.h"

class TstDialogsSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void assignmentReachesTheController()
    {
        DialogBench b(8);
        TSterownik& link = b.link();
        QCOMPARE(int(link.injectorCount), 8);
        QVERIFY(b.editor()->catalogue().SetValue(8, 0));
        QVERIFY(b.run([&] {
            return link.writeMask == 0 && !link.commandPending(TSterownik::CmdInjectorSwitch) &&
                   b.sim.settings()[39] == 0x80;
        }));

        b.clickDetail(8);
        TFormSeq* seq = b.form.dialogs()->FormSeq();
        QVERIFY(seq->isVisible());
        QCOMPARE(seq->StringGrid1->geometry(), QRect(96, TFormSeq::kGridTop, 9 * 29, 9 * 29));
        QCOMPARE(seq->StringGrid2->x(), 124);

        // Gas injector 8 to petrol input 1, then gas injector 3 switched off.
        QTest::mouseClick(seq->StringGrid1, Qt::LeftButton, {}, seq->StringGrid1->cellRect(8, 1).center());
        QTest::mouseClick(seq->StringGrid2, Qt::LeftButton, {}, seq->StringGrid2->cellRect(2, 0).center());
        QCOMPARE(int(b.settings()[32]), 0x81);
        QCOMPARE(int(b.settings()[34]), 0);
        QCOMPARE(int(b.settings()[39]), 0);
        QCOMPARE(int(b.settings()[31]), 0x04);
        QCOMPARE(int(link.injectorsEnabled()), 0xFB);

        QVERIFY(b.run([&] {
            const uint8_t* s = b.sim.settings();
            return link.writeMask == 0 && !link.commandPending(TSterownik::CmdInjectorSwitch) && s[32] == 0x81 &&
                   s[34] == 0 && s[39] == 0 && s[31] == 0x04;
        }));
        QCOMPARE(int(b.sim.engine.enabledInjectors()), 0xFB);
        // The live frames the controller sends meanwhile keep the mask the dialog set.
        const int answered = b.sim.requests;
        QVERIFY(b.run([&] { return b.sim.requests >= answered + 10; }));
        QCOMPARE(int(link.injectorsEnabled()), 0xFB);
        seq->accept();
    }

    // The detected-type box names the petrol injection the simulated car really uses, judged
    // from the petrol inputs pulsing in the controller's live frames.
    void detectionFindsTheControllersInjection_data()
    {
        QTest::addColumn<int>("injectors");
        QTest::addColumn<int>("injection");
        QTest::newRow("4, sequential") << 4 << int(EngineModel::Sequential);
        QTest::newRow("8, sequential") << 8 << int(EngineModel::Sequential);
        QTest::newRow("6, semi-sequential") << 6 << int(EngineModel::SemiSequential);
        QTest::newRow("4, full group") << 4 << int(EngineModel::FullGroup);
    }
    void detectionFindsTheControllersInjection()
    {
        QFETCH(int, injectors);
        QFETCH(int, injection);
        DialogBench b(injectors);
        b.sim.engine.setInjection(static_cast<EngineModel::Injection>(injection));
        SettingsCatalogue& cat = b.editor()->catalogue();
        QVERIFY(cat.SetValue(8, 0));  // every petrol input drives its own gas injector
        QVERIFY(b.settled());

        b.clickDetail(8);
        TFormSeq* seq = b.form.dialogs()->FormSeq();
        QVERIFY(seq->isVisible());
        const int answered = b.sim.requests;
        QVERIFY(b.run([&] { return b.sim.requests >= answered + 12; }));
        QCOMPARE(seq->detected(), injection);
        QCOMPARE(seq->EditDetected->text(), cat.ValueText(8, injection));
        seq->accept();
    }
};

QTEST_MAIN(TstDialogsSim)
#include "tst_dialogs_sim.moc"
