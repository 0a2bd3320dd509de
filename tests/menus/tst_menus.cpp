// The main window's keys and menu items with real events (a table of key or item and what it does),
// the device and service dialogs, the readings selection and the transmission log window.
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QTextBrowser>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "dialogs/ManualWindow.h"
#include "dialogs/Unitadmin.h"
#include "dialogs/Unitdevice.h"
#include "dialogs/Unitparam.h"
#include "dialogs/Unitservice.h"
#include "editor/Tnastawy.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "scope/Toscyloskop.h"
#include "settings/SettingsCatalogue.h"
#include "shell/CommandBar.h"
#include "shell/MainMenu.h"
#include "shell/ReadingsPanel.h"
#include "shell/ScopeBar.h"
#include "shell/SidePanel.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WindowDialogs.h"
#include "shell/WorkPages.h"
#include "tests/WindowRig.h"
#include "ui/StringGrid.h"

namespace {

QString polish(int id) { return programTexts().text(id, TextTable::Polish); }

// A main window with its preferences in a temporary folder, scripted questions, no port, and the
// documentation below a temporary program folder that has only the harness diagram and pinout.
struct Window : WindowRig {
    QStringList opened;

    Window()
    {
        form.Sterownik1->timer()->stop();
        QDir(dir.path()).mkpath(QStringLiteral("bin/Diagram"));
        QDir(dir.path()).mkpath(QStringLiteral("bin/Pinout"));
        form.programFolder = dir.filePath(QStringLiteral("bin"));
        form.openFolder = [this](const QString& folder) { opened << folder; };
        form.FormCreate();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    void key(int k) { QTest::keyClick(&form, Qt::Key(k)); }
};

using Step = std::function<void(Window&)>;
using Effect = std::function<bool(Window&)>;

Step key(int k)
{
    return [k](Window& w) { w.key(k); };
}
Step keys(std::initializer_list<int> list)
{
    const std::vector<int> v(list);
    return [v](Window& w) {
        for (int k : v) w.key(k);
    };
}
Step developer(Step then = {})
{
    return [then](Window& w) {
        w.form.developerMode = 1;
        if (then) then(w);
    };
}
Step trigger(QAction* (MainMenu::*item)() const)
{
    return [item](Window& w) { (w.form.menus()->*item)()->trigger(); };
}
// An item the oscilloscope's bar puts into the Device menu.
Step trigger(QAction* (ScopeBar::*item)() const)
{
    return [item](Window& w) { (w.form.scopeBar()->*item)()->trigger(); };
}
// A click on one of the widgets of the bottom bar.
template <typename W>
Step click(W* (CommandBar::*widget)() const)
{
    return [widget](Window& w) { QTest::mouseClick((w.form.commands()->*widget)(), Qt::LeftButton, {}, QPoint(5, 5)); };
}
// A click on one of the widgets of the right panel's readings.
template <typename W>
Step clickReadings(W* ReadingsPanel::*widget)
{
    return [widget](Window& w) { QTest::mouseClick(w.form.readings()->*widget, Qt::LeftButton, {}, QPoint(5, 5)); };
}
Step nothing()
{
    return [](Window&) {};
}

}  // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Effect)

class TstMenus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(programTexts().load()); }

    void keysAndItems_data()
    {
        QTest::addColumn<Step>("before");
        QTest::addColumn<Step>("action");
        QTest::addColumn<Effect>("effect");
        auto row = [](const char* name, Step before, Step action, Effect effect) {
            QTest::newRow(name) << before << action << effect;
        };
        using C = TSterownik;
        // Keys.
        row("F1", key(Qt::Key_F4), key(Qt::Key_F1),
            [](Window& w) { return w.form.pages()->topTab() == 0 && w.form.pages()->Nastawy()->page() == 0; });
        row("F2", nothing(), key(Qt::Key_F2),
            [](Window& w) { return w.form.pages()->topTab() == 1 && w.form.pages()->Nastawy()->page() == 1; });
        row("F3 from Settings", nothing(), key(Qt::Key_F3),
            [](Window& w) { return w.form.pages()->topTab() == 2 && w.form.pages()->mapPage() == 0; });
        row("F3 three times", nothing(), keys({Qt::Key_F3, Qt::Key_F3, Qt::Key_F3}), [](Window& w) {
            return w.form.pages()->topTab() == 2 && w.form.pages()->mapPage() == 2 &&
                   w.form.tabs()->row2()[2]->isChecked();
        });
        row("F3 wraps after page 4", keys({Qt::Key_F3, Qt::Key_F3, Qt::Key_F3, Qt::Key_F3, Qt::Key_F3}),
            key(Qt::Key_F3), [](Window& w) { return w.form.pages()->mapPage() == 0; });
        row("F4", nothing(), key(Qt::Key_F4), [](Window& w) {
            return w.form.pages()->topTab() == 3 && w.form.commands()->button(3)->text() == polish(1264);
        });
        row("F5", nothing(), key(Qt::Key_F5), [](Window& w) { return w.form.pages()->topTab() == 4; });
        row("F6", nothing(), key(Qt::Key_F6),
            [](Window& w) { return w.form.pages()->topTab() == 5 && w.form.pages()->obdPage() == 0; });
        row("F6 on OBD", key(Qt::Key_F6), key(Qt::Key_F6), [](Window& w) { return w.form.pages()->obdPage() == 1; });
        row("F5 shows the oscilloscope and its bar", nothing(), key(Qt::Key_F5), [](Window& w) {
            return w.form.scopeBar()->isVisible() && w.form.scopeBar()->view()->isVisible() &&
                   !w.form.commands()->button(3)->isVisible();
        });
        row(
            "F2 puts the oscilloscope in Play", [](Window& w) { w.form.scopeBar()->view()->state = TScope::Stop; },
            key(Qt::Key_F2),
            [](Window& w) {
                return w.form.scopeBar()->view()->state == TScope::Play && w.form.scopeBar()->view()->isVisible();
            });
        row("Space", nothing(), key(Qt::Key_Space),
            [](Window& w) { return w.link().commandPending(C::CmdAutoFuelChange); });
        row("F11", nothing(), key(Qt::Key_F11),
            [](Window& w) { return w.link().commandPending(C::CmdQuickFuelChange); });
        row("switch picture", nothing(), clickReadings(&ReadingsPanel::Image1),
            [](Window& w) { return w.link().commandPending(C::CmdAutoFuelChange); });
        row("status panel", nothing(), click(&CommandBar::PanelStatus),
            [](Window& w) { return w.link().commandPending(C::CmdQuickFuelChange); });
        row("Enter on Calibration", key(Qt::Key_F2), key(Qt::Key_Return),
            [](Window& w) { return (w.link().liveRequestBits() & 1) != 0; });
        row("Enter on Settings", nothing(), key(Qt::Key_Return),
            [](Window& w) { return w.link().liveRequestBits() == 0; });
        row("L", nothing(), key(Qt::Key_L), [](Window& w) { return int(w.form.leftPanel()->collapsed()) == 0; });
        row("L twice", nothing(), keys({Qt::Key_L, Qt::Key_L}),
            [](Window& w) { return int(w.form.leftPanel()->collapsed()) == 1; });
        row("R", nothing(), key(Qt::Key_R), [](Window& w) { return int(w.form.rightPanel()->collapsed()) == 1; });
        row("H outside developer mode", nothing(), key(Qt::Key_H), [](Window& w) { return w.form.viewLevel == 1; });
        row("H", developer(), key(Qt::Key_H),
            [](Window& w) { return w.form.viewLevel == 2 && w.form.menus()->viewItem(2)->isChecked(); });
        row("H wraps", developer(key(Qt::Key_H)), key(Qt::Key_H), [](Window& w) { return w.form.viewLevel == 0; });
        row("J outside developer mode", nothing(), key(Qt::Key_J),
            [](Window& w) { return w.form.language == TextTable::Polish; });
        row("J", developer(), key(Qt::Key_J), [](Window& w) {
            return w.form.language == 2 && w.form.menus()->MenuFile()->title() == programTexts().text(1100, 2);
        });
        row("K outside developer mode", nothing(), key(Qt::Key_K), [](Window& w) { return w.form.theme == 3; });
        row("K", developer(), key(Qt::Key_K),
            [](Window& w) { return w.form.theme == 4 && w.form.menus()->colorItem(4)->isChecked(); });
        row("Q outside developer mode", nothing(), key(Qt::Key_Q), [](Window& w) {
            return w.form.developerMode == 0 && !w.form.menus()->MenuAdmin()->menuAction()->isVisible();
        });
        row("Q", developer(key(Qt::Key_F3)), key(Qt::Key_Q), [](Window& w) {
            return w.form.developerMode == 3 && w.form.menus()->MenuAdmin()->menuAction()->isVisible() &&
                   w.link().diagnosticChannels() && w.form.tabs()->row2()[5]->isVisible() &&
                   w.form.tabs()->PanelTopTab2()->height() == 50;
        });
        row("Q twice", developer(), keys({Qt::Key_Q, Qt::Key_Q}), [](Window& w) {
            return w.form.developerMode == 1 && !w.form.menus()->MenuAdmin()->menuAction()->isVisible() &&
                   w.link().diagnosticChannels() == false;
        });

        // Menu items.
        row("Device info", nothing(), trigger(&MainMenu::MenuFileInfo), [](Window& w) {
            return w.form.dialogs()->FormDevice()->isVisible() &&
                   w.form.dialogs()->FormDevice()->windowTitle() == QStringLiteral("KAVELO - ") + polish(1330) &&
                   w.form.dialogs()->FormDevice()->Labels[4]->text() == polish(1335) &&
                   w.form.dialogs()->FormDevice()->Timer1->isActive();
        });
        row("Service", nothing(), trigger(&MainMenu::MenuFileServis), [](Window& w) {
            TFormService* s = w.form.dialogs()->FormService();
            return s->isVisible() && s->windowTitle() == QStringLiteral("KAVELO - ") + polish(1340) &&
                   s->StringGrid1->item(0, 5)->text() == polish(1346) && s->BitBtn2->text() == polish(1354) &&
                   s->GroupBox2->title() == QLatin1Char(' ') + polish(1342) + QLatin1Char(' ');
        });
        // The manual is inside the program: its window opens on the first page in the window's language.
        row("Manual", nothing(), trigger(&MainMenu::MenuDocMan), [](Window& w) {
            const ManualWindow* m = w.form.findChild<ManualWindow*>();
            return m && m->isVisible() && w.opened.isEmpty() && w.answers.messages.isEmpty() &&
                   m->browser()->source() == ManualWindow::contentsOf(TextTable::Polish) &&
                   m->browser()->toPlainText().startsWith(QStringLiteral("Program warsztatowy KAVELO"));
        });
        row("Harness diagram", nothing(), trigger(&MainMenu::MenuDocSch), [](Window& w) {
            return w.opened.size() == 1 && w.opened[0].endsWith(QStringLiteral("bin/Diagram")) &&
                   w.answers.messages.isEmpty();
        });
        row("Connector", nothing(), trigger(&MainMenu::MenuDocCon),
            [](Window& w) { return w.opened.size() == 1 && w.opened[0].endsWith(QStringLiteral("bin/Pinout")); });
        row("Read scope from file", nothing(), trigger(&ScopeBar::MenuFile5), [](Window& w) {
            return w.answers.dialogs.size() == 1 && w.form.pages()->topTab() == 4 &&
                   w.form.tabs()->row1()[4]->isChecked();
        });
        row("Save scope to file", nothing(), trigger(&ScopeBar::MenuFile6),
            [](Window& w) { return w.answers.dialogs.size() == 1 && !w.link().RecordingOpen(); });
        row("Export data to CSV", nothing(), trigger(&ScopeBar::MenuFile7),
            [](Window& w) { return w.answers.dialogs.size() == 1 && w.answers.messages.isEmpty(); });
        row("Transmisja", nothing(), trigger(&MainMenu::MenuA0), [](Window& w) {
            return w.form.dialogs()->FormAdmin()->isVisible() && bool(w.link().OnTekst) &&
                   bool(w.form.ObdPort->OnTekst) && w.form.menus()->MenuA0()->isChecked();
        });
        row("Transmisja off", trigger(&MainMenu::MenuA0), trigger(&MainMenu::MenuA0), [](Window& w) {
            return !w.form.dialogs()->FormAdmin()->isVisible() && !w.link().OnTekst && !w.form.ObdPort->OnTekst;
        });
        row("Param. bieżące", nothing(), trigger(&MainMenu::MenuA00), [](Window& w) { return w.link().verboseLive(); });
        row("Moduł OBD", nothing(), trigger(&MainMenu::MenuA01), [](Window& w) { return w.link().verboseObd(); });
        row(
            "800x600", nothing(), [](Window& w) { w.form.menus()->MenuA1x(1)->trigger(); },
            [](Window& w) { return w.form.frameGeometry().size() == QSize(800, 600); });
        row(
            "1366x768", nothing(), [](Window& w) { w.form.menus()->MenuA1x(5)->trigger(); },
            [](Window& w) { return w.form.frameGeometry().size() == QSize(1366, 768); });
        row("Demo", nothing(), trigger(&MainMenu::MenuA1), [](Window& w) {
            const MemoryImage& m = w.link().mem;
            return m.maps[MemoryImage::PetrolMap][0x00] != 0 &&
                   m.maps[MemoryImage::GasMap][0xFF] > m.maps[MemoryImage::PetrolMap][0xFF] &&
                   m.maps[MemoryImage::ObdPetrol2] == m.maps[MemoryImage::ObdPetrol1] &&
                   m.maps[MemoryImage::ObdGas2] == m.maps[MemoryImage::ObdGas1] &&
                   m.maps[MemoryImage::ObdGas1][0x44] != 0;
        });
        row(
            "Kasowanie Historii", [](Window& w) { w.link().mem.block(MemoryImage::History)[0] = 9; },
            trigger(&MainMenu::MenuA6),
            [](Window& w) {
                return w.link().mem.block(MemoryImage::History)[0] == 0 && w.link().StrHistoria(0, 0).isEmpty();
            });
        row("Nastawy", trigger(&MainMenu::MenuA0), trigger(&MainMenu::MenuA4), [](Window& w) {
            const QStringList lines = w.form.dialogs()->FormAdmin()->RichEdit1->toPlainText().split(QLatin1Char('\n'));
            const SettingsCatalogue& c = w.form.pages()->Nastawy()->catalogue();
            int sum = 0;
            for (int i = 0; i < 256; ++i) sum += c.descriptor(i).def;
            return lines.size() == 305 && lines[0] == QStringLiteral("  #define nil 0") &&
                   lines[1] == QStringLiteral("  #define def000  %1").arg(c.descriptor(0).def) && (sum & 0xFF) == 0 &&
                   lines[304].startsWith(QStringLiteral("  #define def303  "));
        });
        row(
            "English", nothing(), [](Window& w) { w.form.menus()->langItem(0)->trigger(); },
            [](Window& w) {
                return w.form.language == 0 && w.form.menus()->MenuFileServis()->text() == programTexts().text(1340, 0);
            });
        row(
            "Basic settings", nothing(), [](Window& w) { w.form.menus()->viewItem(0)->trigger(); },
            [](Window& w) { return w.form.viewLevel == 0; });
        row(
            "Colour 6", nothing(), [](Window& w) { w.form.menus()->colorItem(5)->trigger(); },
            [](Window& w) { return w.form.theme == 5; });
        row(
            "Connection menu opened", nothing(), [](Window& w) { Q_EMIT w.form.menus()->MenuConn()->aboutToShow(); },
            [](Window& w) {
                return w.form.menus()->MenuConn()->actions().value(0) &&
                       w.form.menus()->MenuConn()->actions()[0]->text() == polish(1118);
            });
    }

    void keysAndItems()
    {
        QFETCH(Step, before);
        QFETCH(Step, action);
        QFETCH(Effect, effect);
        Window w;
        before(w);
        for (int c = 0; c < TSterownik::CommandCount; ++c) w.link().cancelCommand(TSterownik::Command(c));
        action(w);
        QVERIFY(effect(w));
        for (QWidget* d : {static_cast<QWidget*>(w.form.dialogs()->FormDevice()),
                           static_cast<QWidget*>(w.form.dialogs()->FormService())})
            d->hide();
    }

    void menusUseTheWindowFont()
    {
        Window w;
        for (int lang : {0, 2, 3, 1}) {
            w.form.menus()->langItem(lang)->trigger();
            QCOMPARE(w.form.menuBar()->font().pointSize(), w.form.font().pointSize());
            QCOMPARE(w.form.menus()->MenuDoc()->font().family(), w.form.font().family());
            QCOMPARE(w.form.menus()->MenuDocCon()->text(), programTexts().text(1173, lang));
            QCOMPARE(w.form.scopeBar()->MenuFile7()->text(), programTexts().text(1107, lang));
            QCOMPARE(w.form.menus()->MenuFileInfo()->text(), programTexts().text(1330, lang));
        }
        // Only the window's own menus: nothing in the admin menu is translated.
        QCOMPARE(w.form.menus()->MenuA6()->text(), QStringLiteral("Kasowanie Historii"));
    }

    void commandButtonsTakeNoFocus()
    {
        Window w;
        w.key(Qt::Key_F4);
        for (int i = 0; i < CommandBar::kButtons; ++i)
            QCOMPARE(w.form.commands()->button(i)->focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(w.form.commands()->button(0), Qt::LeftButton);  // speaker test
        QCOMPARE(int(w.link().commandPending(TSterownik::CmdSpeakerTest)), 1);
        // Space after the click changes fuel, it does not press the button again.
        for (int c = 0; c < TSterownik::CommandCount; ++c) w.link().cancelCommand(TSterownik::Command(c));
        w.key(Qt::Key_Space);
        QCOMPARE(int(w.link().commandPending(TSterownik::CmdSpeakerTest)), 0);
        QCOMPARE(int(w.link().commandPending(TSterownik::CmdAutoFuelChange)), 1);
    }

    // No button of the window itself takes the focus, not even by Tab in the advanced view, where
    // the side panels' buttons show: Space would otherwise change fuel and press the button too.
    void windowButtonsTakeNoFocusByTab()
    {
        Window w;
        w.form.MenuView0Click(2);
        w.key(Qt::Key_F4);
        QVERIFY(w.form.readings()->BtnParamIng->isVisible());
        for (QAbstractButton* b : w.form.findChildren<QAbstractButton*>())
            if (b->window() == &w.form && b->isVisible())
                QVERIFY2(b->focusPolicy() == Qt::NoFocus, qPrintable(b->objectName() + b->text()));
        for (int i = 0; i < 12; ++i) {
            w.key(Qt::Key_Tab);
            QVERIFY(!qobject_cast<QAbstractButton*>(QApplication::focusWidget()));
        }
        const int tag = w.form.readings()->BtnParamIng->property("tag").toInt();
        w.key(Qt::Key_Space);
        QCOMPARE(w.form.readings()->BtnParamIng->property("tag").toInt(), tag);
        QCOMPARE(int(w.link().commandPending(TSterownik::CmdAutoFuelChange)), 1);
    }

    void serviceDialogShowsHistoryAndSetsTheReminder()
    {
        Window w;
        TSterownik& l = w.link();
        uint8_t* h = l.mem.block(MemoryImage::History);
        // Entry 0: firmware and settings on 2024-3-15 by PC 12AB-CDEF; entry 1: restore and errors;
        // entry 31, the last row: settings only.
        const uint8_t e0[8] = {0x09, 24, 3, 15, 0x12, 0xAB, 0xCD, 0xEF};
        const uint8_t e1[8] = {0x06, 25, 12, 1, 0, 0, 0, 1};
        const uint8_t e31[8] = {0x08, 26, 1, 2, 0xFF, 0, 0, 0};
        std::memcpy(h, e0, 8);
        std::memcpy(h + 8, e1, 8);
        std::memcpy(h + 31 * 8, e31, 8);
        l.mem.identity[76] = 120;  // 120 gas hours
        l.mem.identity[77] = 0;
        l.mem.identity[74] = 1900 & 0xFF;  // 1900 s into the current hour
        l.mem.identity[75] = 1900 >> 8;
        l.mem.settings[100] = 0;

        w.form.menus()->MenuFileServis()->trigger();
        TFormService* s = w.form.dialogs()->FormService();
        QVERIFY(s->isVisible());
        QCOMPARE(s->StringGrid1->rowCount(), 33);
        QCOMPARE(s->StringGrid1->columnCount(), 6);
        const QStringList row1 = {QStringLiteral("2024.3.15"), QStringLiteral("v"),        QString(), QString(),
                                  QStringLiteral("v"),         QStringLiteral("12AB-CDEF")};
        const QStringList row2 = {QStringLiteral("2025.12.1"), QString(), QStringLiteral("v"),
                                  QStringLiteral("v"),         QString(), QStringLiteral("0000-0001")};
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(s->StringGrid1->item(1, c)->text(), row1[c]);
            QCOMPARE(s->StringGrid1->item(2, c)->text(), row2[c]);
            QCOMPARE(s->StringGrid1->item(3, c)->text(), QString());  // an empty entry
        }
        QCOMPARE(s->StringGrid1->item(32, 0)->text(), QStringLiteral("2026.1.2"));
        QCOMPARE(s->StringGrid1->item(32, 4)->text(), QStringLiteral("v"));

        // Reminder off: the time left is shown but disabled.
        QVERIFY(!s->CheckBox1->isChecked());
        QVERIFY(!s->EditLeft->isEnabled());
        QVERIFY(!s->EditLeft->text().isEmpty());

        // "Set" at 10000 km: mark 120 + 200 + 1.
        QCOMPARE(s->ComboBox1->currentText(), QStringLiteral("10000"));
        QCOMPARE(s->ComboBox1->itemText(0), QStringLiteral(" 1000"));
        QCOMPARE(s->ComboBox1->count(), 25);
        QTest::mouseClick(s->BitBtn2, Qt::LeftButton);
        QCOMPARE(int(l.mem.settings[101] | (l.mem.settings[102] << 8)), 321);
        QCOMPARE(int(l.mem.settings[100]), 1);
        QVERIFY(s->CheckBox1->isChecked());
        QVERIFY(s->EditLeft->isEnabled());
        QCOMPARE(s->EditLeft->text(), QStringLiteral("201:00:00"));

        // A click on the check box is the user's: it turns the reminder off and back on.
        QTest::mouseClick(s->CheckBox1, Qt::LeftButton);
        QCOMPARE(int(l.mem.settings[100]), 0);
        QVERIFY(!s->EditLeft->isEnabled());
        QTest::mouseClick(s->CheckBox1, Qt::LeftButton);
        QCOMPARE(int(l.mem.settings[100]), 1);

        // The distance chosen stays for the next opening.
        s->ComboBox1->setCurrentIndex(4);
        QTest::mouseClick(s->BitBtn1, Qt::LeftButton);
        QVERIFY(!s->isVisible());
        w.form.menus()->MenuFileServis()->trigger();
        QCOMPARE(s->ComboBox1->currentIndex(), 4);
        s->hide();
    }

    void dialogsWaitForTheHistoryRead()
    {
        Window w;
        TSterownik& l = w.link();
        l.readMask = 0x80;  // the history is still being read
        w.form.menus()->MenuFileInfo()->trigger();
        TFormDevice* d = w.form.dialogs()->FormDevice();
        QVERIFY(d->Edits[0]->text().isEmpty());
        l.mem.identity[38] = 2;
        d->Timer1Timer();
        QVERIFY(d->Timer1->isActive());
        QVERIFY(d->Edits[0]->text().isEmpty());
        l.readMask = 0;
        d->Timer1Timer();
        QVERIFY(!d->Timer1->isActive());
        QCOMPARE(d->Edits[0]->text(), QStringLiteral("KAVELO PRO+"));
        d->hide();

        // Without a link the dialogs close at once.
        TFormService lone;
        QVERIFY(!lone.Open());
        QVERIFY(!lone.isVisible());
    }

    void readingsSelectionTogglesTheParameterPanelFlag()
    {
        Window w;
        TSterownik& l = w.link();
        TFormParam* p = w.form.dialogs()->FormParam();
        QVERIFY(w.form.rightPanel()->titleButton()->isHidden());  // full view
        w.form.menus()->viewItem(2)->trigger();
        QVERIFY(w.form.rightPanel()->titleButton()->isVisible());
        QCOMPARE(w.form.rightPanel()->titleButton()->focusPolicy(), Qt::NoFocus);
        const int readingsBefore = w.form.readings()->StringGridParametry->rowCount();
        QTest::mouseClick(w.form.rightPanel()->titleButton(), Qt::LeftButton);
        QVERIFY(p->isVisible());
        QCOMPARE(p->windowTitle(), QStringLiteral("KAVELO - ") + polish(1230));
        const int n = l.PodajIleParamBiez(2);
        QVERIFY(n > 5);
        QCOMPARE(p->StringGrid1->rowCount(), n);
        QCOMPARE(p->height(), n * 25);
        const int k = l.PodajPozycje(2, 1);
        QCOMPARE(p->StringGrid1->item(1, 1)->text(), QLatin1Char(' ') + polish(l.channels()[k].id));
        const bool before = l.channels()[k].flags & 0x20;
        QCOMPARE(p->StringGrid1->item(1, 0)->text().isEmpty(), !before);

        // A press anywhere on row 1 toggles the flag and the tick.
        const QRect cell = p->StringGrid1->visualItemRect(p->StringGrid1->item(1, 1));
        QTest::mousePress(p->StringGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(bool(l.channels()[k].flags & 0x20), !before);
        QCOMPARE(p->StringGrid1->item(1, 0)->text().isEmpty(), before);
        // Enter toggles the current row back.
        QTest::keyClick(p->StringGrid1, Qt::Key_Return);
        QCOMPARE(bool(l.channels()[k].flags & 0x20), before);

        // The tick is drawn in green where the flag is set.
        l.setChannelShown(k, kChannelReadings, true);
        p->Refresh();
        const QRect box = p->StringGrid1->visualItemRect(p->StringGrid1->item(1, 0));
        const QImage shot = p->StringGrid1->viewport()->grab().toImage();
        bool green = false;
        for (int x = box.left(); x <= box.right(); ++x)
            for (int y = box.top(); y <= box.bottom(); ++y) green |= shot.pixelColor(x, y) == QColor(0, 128, 0);
        QVERIFY(green);
        p->close();
        // The readings grid follows once the dialog has closed: one row more for channel k.
        QCOMPARE(w.form.readings()->StringGridParametry->rowCount(), readingsBefore + (before ? 0 : 1));

        // In admin mode the diagnostic channels are offered as well.
        w.form.developerMode = 1;
        w.key(Qt::Key_Q);
        QTest::mouseClick(w.form.rightPanel()->titleButton(), Qt::LeftButton);
        QVERIFY(p->StringGrid1->rowCount() > n);
        p->close();
    }

    // The maker's drawings: missing beside the program, the item says where they go (the documents'
    // folder), and once the fitter has put them there it opens that folder.
    void drawingsFolderIsExplainedThenOpened()
    {
        Window w;
        QVERIFY(QDir(w.dir.filePath(QStringLiteral("bin/Pinout"))).removeRecursively());
        w.form.Sterownik1->documentsFolder = w.dir.filePath(QStringLiteral("Documents"));
        const QString documents = w.form.Sterownik1->documentsFolder + QStringLiteral("/ORVA/Kavelo II/Pinout");
        w.form.menus()->MenuDocCon()->trigger();
        QVERIFY(w.opened.isEmpty());
        QCOMPARE(w.answers.messages.size(), 1);
        const QString text = w.answers.messages[0].text;
        QVERIFY2(
            text.contains(TextById(OwnText::DrawingsFolder).arg(TextById(1173), QDir::toNativeSeparators(documents))),
            qPrintable(text));
        QVERIFY(QDir().mkpath(documents));
        w.form.menus()->MenuDocCon()->trigger();
        QCOMPARE(w.opened, QStringList{documents});
    }

    // The service history's headings fit their columns in every language, and the columns the grid.
    void serviceHeadingsFit()
    {
        Window w;
        w.form.menus()->MenuFileServis()->trigger();
        TFormService* s = w.form.dialogs()->FormService();
        QVERIFY(s->isVisible());
        for (int language = 0; language < 4; ++language) {
            w.form.menus()->langItem(language)->trigger();
            const QFontMetrics fm(s->StringGrid1->font());
            int total = 0;
            for (int c = 0; c < 6; ++c) {
                const QString heading = s->StringGrid1->item(0, c)->text();
                QVERIFY2(fm.horizontalAdvance(heading) <= s->StringGrid1->columnWidth(c) - 4,
                         qPrintable(QString::number(language) + QLatin1Char(' ') + heading));
                total += s->StringGrid1->columnWidth(c);
            }
            QVERIFY(total <= s->StringGrid1->width() - 2 * s->StringGrid1->frameWidth());
        }
        s->close();
    }

    // Every button of the oscilloscope bar says what it does, in every language, each its own words.
    void scopeButtonsSayWhatTheyDo()
    {
        Window w;
        for (int language = 0; language < 4; ++language) {
            w.form.menus()->langItem(language)->trigger();
            QSet<QString> tips;
            const QList<QToolButton*> buttons = w.form.scopeBar()->findChildren<QToolButton*>();
            QCOMPARE(buttons.size(), 12);
            for (QToolButton* b : buttons) {
                QVERIFY2(!b->toolTip().isEmpty(), qPrintable(b->objectName()));
                tips.insert(b->toolTip());
            }
            QCOMPARE(tips.size(), 12);
            QVERIFY(tips.contains(ownTexts().text(OwnText::ScopeRecord, language)));
        }
    }

    void logWindowShowsLinesOnlyWhileVisible()
    {
        Window w;
        TFormAdmin* a = w.form.dialogs()->FormAdmin();
        QCOMPARE(a->windowTitle(), QStringLiteral("FormAdmin"));
        // Above the main window as its tool window, but never above a modal dialog of the program.
        QCOMPARE(a->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(!(a->windowFlags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(a->parentWidget(), static_cast<QWidget*>(&w.form));
        w.form.AdminLine(QStringLiteral("hidden"), Rgb(255, 0, 0));
        QVERIFY(a->RichEdit1->toPlainText().isEmpty());
        w.form.menus()->MenuA0()->trigger();
        for (int i = 0; i < 200; ++i) w.form.AdminLine(QStringLiteral("line %1").arg(i), Rgb(0, 0, 255));
        QCOMPARE(a->RichEdit1->document()->blockCount(), 200);
        // Scrolled to the last line.
        QCOMPARE(a->RichEdit1->verticalScrollBar()->value(), a->RichEdit1->verticalScrollBar()->maximum());
        QTest::mouseDClick(a->RichEdit1->viewport(), Qt::LeftButton);
        QVERIFY(a->RichEdit1->toPlainText().isEmpty());
        w.form.AdminLine(QStringLiteral("first"), Rgb(0, 0, 0));
        QCOMPARE(a->RichEdit1->toPlainText(), QStringLiteral("first"));
        // Closing the window itself unticks the item and detaches the link.
        a->close();
        QVERIFY(!w.form.menus()->MenuA0()->isChecked());
        QVERIFY(!w.link().OnTekst);
    }

    void logKeepsTheHandlersItFound()
    {
        // A handler on either link before the log is ticked still gets every line while the log
        // shows them, and is back on its own once the log is unticked.
        Window w;
        QStringList linkLines, obdLines;
        w.link().OnTekst = [&](QObject*, const QString& text, TColor) { linkLines << text; };
        w.form.ObdPort->OnTekst = [&](QObject*, const QString& text, TColor) { obdLines << text; };
        w.form.menus()->MenuA0()->trigger();
        w.link().OnTekst(nullptr, QStringLiteral("link"), 0);
        w.form.ObdPort->OnTekst(nullptr, QStringLiteral("obd"), 0);
        QCOMPARE(w.form.dialogs()->FormAdmin()->RichEdit1->toPlainText(), QStringLiteral("link\nobd"));
        w.form.menus()->MenuA0()->trigger();
        w.link().OnTekst(nullptr, QStringLiteral("link again"), 0);
        w.form.ObdPort->OnTekst(nullptr, QStringLiteral("obd again"), 0);
        QCOMPARE(linkLines, (QStringList{QStringLiteral("link"), QStringLiteral("link again")}));
        QCOMPARE(obdLines, (QStringList{QStringLiteral("obd"), QStringLiteral("obd again")}));
        QCOMPARE(w.form.dialogs()->FormAdmin()->RichEdit1->toPlainText(), QStringLiteral("link\nobd"));
    }
};

QTEST_MAIN(TstMenus)
#include "tst_menus.moc"
