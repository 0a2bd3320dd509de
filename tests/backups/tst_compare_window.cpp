// The compare window over a real memory image and a settings file's image: the lists, the heat
// map, and "Take from file" copying one setting and one region and raising their writes; the names
// every settings byte is listed under; the main window's caption after a settings file is saved
// under another name.
#include <QtCore/QSet>
#include <QtTest/QtTest>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QToolTip>
#include <QtWidgets/QTreeWidget>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "dialogs/CompareWindow.h"
#include "dialogs/DiffHeatMap.h"
#include "link/ConfigBackups.h"
#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "settings/ConfigDiff.h"
#include "settings/SettingsCatalogue.h"
#include "shell/MainMenu.h"
#include "tests/WindowRig.h"
#include "ui/CutTextTips.h"

namespace {

// The selectable rows of a list (the page headers left out).
QStringList rowTexts(const QTreeWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->flags() & Qt::ItemIsSelectable) texts << list->topLevelItem(i)->text(0);
    return texts;
}

QTreeWidgetItem* rowNamed(const QTreeWidget* list, const QString& text)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0) == text) return list->topLevelItem(i);
    return nullptr;
}

}  // namespace

class TstCompareWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        programLanguage() = TextTable::English;
    }

    void takeOneSettingAndOneRegion()
    {
        // A link on the in-memory line, so that writes are raised as on a connected controller.
        TSterownik link;
        link.timer()->stop();
        link.setBackend(std::make_unique<LoopbackBackend>());
        QVERIFY(link.PortOpen(1));
        MemoryImage file = link.mem;
        file.settings[3] = 77;
        file.settings[5] = 9;
        file.maps[MemoryImage::GasMap][20] = 33;
        file.block(MemoryImage::Multiplier1)[40] = 120;
        file.settings[MemoryImage::kNodesBank1 + 1] = 40;

        CompareWindow form(nullptr, link, file, QStringLiteral("old.set"), ThemePalette{});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Two settings under their page headers, two regions.
        int settings = 0;
        QTreeWidgetItem* rpmSignal = nullptr;
        for (int i = 0; i < form.ListSettings->topLevelItemCount(); ++i) {
            QTreeWidgetItem* it = form.ListSettings->topLevelItem(i);
            if (it->flags() & Qt::ItemIsSelectable) ++settings;
            if (it->text(0) == QLatin1String("RPM signal level")) rpmSignal = it;
        }
        QCOMPARE(settings, 3);  // 3, 5 and the node slot
        QVERIFY(rpmSignal);
        QCOMPARE(form.ListRegions->topLevelItemCount(), 2);

        // Select the setting with a real click and take it.
        link.writeMask = 0;
        QTest::mouseClick(form.ListSettings->viewport(), Qt::LeftButton, {},
                          form.ListSettings->visualItemRect(rpmSignal).center());
        QVERIFY(rpmSignal->isSelected());
        QTest::mouseClick(form.BtnTake, Qt::LeftButton);
        QCOMPARE(int(link.mem.settings[3]), 77);
        QCOMPARE(int(link.mem.settings[5]), 0);  // the other setting stays
        QCOMPARE(link.writeMask & 0x1, 0x1u);
        QCOMPARE(form.ListRegions->topLevelItemCount(), 2);

        // The multiplier region brings its nodes along; the gas map stays different.
        QTreeWidgetItem* multiplier = form.ListRegions->topLevelItem(0);
        QCOMPARE(multiplier->text(0), QStringLiteral("Multiplier bank 1"));
        QTest::mouseClick(form.ListRegions->viewport(), Qt::LeftButton, {},
                          form.ListRegions->visualItemRect(multiplier).center());
        QTest::mouseClick(form.BtnTake, Qt::LeftButton);
        QCOMPARE(int(link.mem.block(MemoryImage::Multiplier1)[40]), 120);
        QCOMPARE(int(link.mem.settings[MemoryImage::kNodesBank1 + 1]), 40);
        QCOMPARE(link.writeMask & 0x3, 0x3u);
        QCOMPARE(form.ListRegions->topLevelItemCount(), 1);
        QCOMPARE(int(link.mem.maps[MemoryImage::GasMap][20]), 0);
    }

    // Every settings byte differs: each is listed once, under a name of its own, and none as a bare
    // "Settings byte N".
    // A setting's name cut in a narrow window is whole in its tooltip (and stays the item's whole
    // text, its accessible name); in a wide window the name and both values are whole on screen.
    void cutNamesShowWholeInTheirTooltip_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("cut");
        QTest::newRow("narrow") << 420 << true;
        QTest::newRow("wide") << 1800 << false;
    }
    void cutNamesShowWholeInTheirTooltip()
    {
        QFETCH(int, width);
        QFETCH(bool, cut);
        programLanguage() = TextTable::Polish;
        TSterownik link;
        link.timer()->stop();
        MemoryImage file = link.mem;
        file.settings[51] = uint8_t(link.mem.settings[51] + 5);         // switching to gas above a temperature
        file.settings[8] = uint8_t(link.mem.settings[8] == 0 ? 1 : 0);  // a list value as text
        CompareWindow form(nullptr, link, file, QStringLiteral("old.set"), ThemePalette{});
        form.resize(width, 500);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTreeWidget* list = form.ListSettings;
        SettingsCatalogue catalogue(link.mem, &link);
        catalogue.RegisterSettings();
        const QString whole = catalogue.LabelText(51);
        QTreeWidgetItem* item = rowNamed(list, whole);
        QVERIFY(item);
        auto* tips = qobject_cast<CutTextTips*>(list->itemDelegate());
        QVERIFY(tips);
        const auto optionOf = [&](QTreeWidgetItem* it, int column) {
            QStyleOptionViewItem option;
            option.initFrom(list->viewport());
            option.widget = list;
            option.font = list->font();
            option.fontMetrics = list->fontMetrics();
            option.rect = list->visualItemRect(it);
            option.rect.setLeft(list->header()->sectionViewportPosition(column));
            option.rect.setWidth(list->header()->sectionSize(column));
            return option;
        };
        const QModelIndex name = list->indexFromItem(item, 0);
        QCOMPARE(tips->isCut(optionOf(item, 0), name), cut);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->flags() & Qt::ItemIsSelectable)
                for (int c : {1, 2})
                    QVERIFY(!tips->isCut(optionOf(list->topLevelItem(i), c),
                                         list->indexFromItem(list->topLevelItem(i), c)));

        const QRect r = optionOf(item, 0).rect;
        QHelpEvent help(QEvent::ToolTip, r.center(), list->viewport()->mapToGlobal(r.center()));
        QCoreApplication::sendEvent(list->viewport(), &help);
        QCOMPARE(QToolTip::isVisible() && QToolTip::text() == whole, cut);
        QToolTip::hideText();
        programLanguage() = TextTable::English;
    }

    void everySettingHasOneName()
    {
        TSterownik link;
        link.timer()->stop();
        MemoryImage file = link.mem;
        for (size_t i = 1; i < file.settings.size(); ++i) file.settings[i] = uint8_t(i % 7 + 1);
        CompareWindow form(nullptr, link, file, QStringLiteral("all.set"), ThemePalette{});
        const QStringList names = rowTexts(form.ListSettings);
        QCOMPARE(names.size(), MemoryImage::kSettingsIndexCount - 1);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
        const QString oldName = TextById(OwnText::SettingsByte);
        for (const QString& name : names) {
            QVERIFY2(!name.trimmed().isEmpty(), "an empty name");
            QVERIFY2(!name.contains(oldName), qPrintable(name));
        }
        // Both banks of the idle correction, each once.
        QVERIFY(names.contains(QStringLiteral("Idle RPM correction, bank 1")));
        QVERIFY(names.contains(QStringLiteral("Idle RPM correction, bank 2")));
    }

    void settingNames_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::newRow("labelled") << 20 << "Fuel type";
        QTest::newRow("label with trailing blanks") << 58 << "Reducer temperature";
        QTest::newRow("idle correction, bank 1") << 90 << "Idle RPM correction, bank 1";
        QTest::newRow("idle correction, bank 2") << 92 << "Idle RPM correction, bank 2";
        QTest::newRow("injector type value") << 26 << "Injector type, value 2";
        QTest::newRow("injector assignment") << 33 << "Gas injectors on petrol input 2";
        QTest::newRow("level threshold") << 44 << "Level sensor threshold 4";
        QTest::newRow("reference correction") << 94 << "Reference correction";
        QTest::newRow("service mark") << 102 << "Next service (running time), byte 2";
        QTest::newRow("OBD error header") << 117 << "OBD errors 2";
        QTest::newRow("OBD error code") << 122 << "OBD error code 4";
        QTest::newRow("first node of bank 2") << 164 << "Multiplier bank 2, node 1";
        QTest::newRow("last node of bank 1") << 215 << "Multiplier bank 1, node 26";
        QTest::newRow("injector correction") << 223 << "Correction of gas injector 8";
        QTest::newRow("load breakpoint") << 224 << "Load breakpoint 1";
        QTest::newRow("RPM breakpoint") << 255 << "RPM breakpoint 16";
        QTest::newRow("unused controller byte") << 130 << "Reserved byte 130";
        QTest::newRow("PC copy of a setting") << 257 << "OBD protocol (kept by the PC)";
        QTest::newRow("PC copy of an error code") << 264 << "OBD error code 1 (kept by the PC)";
        QTest::newRow("unused PC byte") << 300 << "Reserved byte 300";
    }
    void settingNames()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        TSterownik link;
        SettingsCatalogue catalogue(link.mem, &link);
        catalogue.RegisterSettings();
        QCOMPARE(ConfigDiff::settingName(catalogue, index), name);
    }

    // Two settings of one caption are told apart by their unit when both differ; the RPM signal's
    // type and its level, which shared one, now have their own, and each is listed under it.
    void sharedCaptionsAreToldApart()
    {
        TSterownik link;
        link.timer()->stop();
        link.mem.settings[1] = 0;
        link.mem.settings[3] = 50;
        MemoryImage file = link.mem;
        file.settings[1] = 2;
        file.settings[3] = 60;
        CompareWindow form(nullptr, link, file, QStringLiteral("old.set"), ThemePalette{});
        QCOMPARE(rowTexts(form.ListSettings),
                 (QStringList{QStringLiteral("RPM signal"), QStringLiteral("RPM signal level")}));
    }

    // A map's heat map stands on the controller's breakpoints, RPM across and the highest load at
    // the top as the map views show it, with numbers large enough to read; the curves' on their
    // table bytes.
    void heatMapAxes()
    {
        TSterownik link;
        link.timer()->stop();
        link.setBackend(std::make_unique<LoopbackBackend>());
        QVERIFY(link.PortOpen(1));
        for (int i = 0; i < 16; ++i) {
            link.mem.settings[size_t(224 + i)] = uint8_t(6 * (i + 1));
            link.mem.settings[size_t(240 + i)] = uint8_t(12 + 6 * i);
        }
        MemoryImage file = link.mem;
        file.maps[MemoryImage::GasMap][16 * 3 + 5] = 25;  // RPM cell 3, load cell 5: +2.5 ms
        file.block(MemoryImage::GasTempCorrection)[100] = 138;

        CompareWindow form(nullptr, link, file, QStringLiteral("old.set"), ThemePalette{});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTreeWidgetItem* gasMap = rowNamed(form.ListRegions, TextById(OwnText::RegionGasMap));
        QVERIFY(gasMap);
        QTest::mouseClick(form.ListRegions->viewport(), Qt::LeftButton, {},
                          form.ListRegions->visualItemRect(gasMap).center());
        DiffHeatMap* map = form.HeatMap;
        QVERIFY(map->shown());
        QCOMPARE(map->axes().columns.size(), 16);
        QCOMPARE(map->axes().columns[0], QStringLiteral("600"));
        QCOMPARE(map->axes().columns[3], QStringLiteral("1500"));
        QCOMPARE(map->axes().rows.first(), QStringLiteral("0.96"));  // load breakpoint 16 at the top
        QCOMPARE(map->axes().rows.last(), QStringLiteral("0.06"));
        QVERIFY(map->axes().columnTitle.contains(QStringLiteral("rpm")));
        QVERIFY(map->axes().rowTitle.contains(QStringLiteral("bar")));
        // The changed cell is drawn in row 10 (load cell 5 from the top of 16), column 3: red there,
        // the background beside it.
        QCOMPARE(map->byteAt(10, 3), 16 * 3 + 5);
        const QImage shot = map->grab().toImage();
        const QColor changed = shot.pixelColor(map->cellRect(10, 3).topLeft() + QPoint(2, 2));
        QVERIFY2(changed.red() > 200 && changed.blue() < 100, qPrintable(changed.name()));
        QCOMPARE(shot.pixelColor(map->cellRect(10, 4).topLeft() + QPoint(2, 2)), QColor(Qt::white));
        QVERIFY2(map->numberPixelSize() >= 10, qPrintable(QString::number(map->numberPixelSize())));

        // A correction curve: rows by its table bytes, byte 100 in row 6, column 4.
        QTreeWidgetItem* curve = rowNamed(form.ListRegions, TextById(OwnText::RegionGasTemp));
        QVERIFY(curve);
        QTest::mouseClick(form.ListRegions->viewport(), Qt::LeftButton, {},
                          form.ListRegions->visualItemRect(curve).center());
        QCOMPARE(map->axes().rows[6], QStringLiteral("96"));
        QCOMPARE(map->byteAt(6, 4), 100);
        QVERIFY(!map->axes().mapLayout);
    }

    // A settings file worked on without a controller, saved under another name: the caption names
    // the file saved.
    void captionFollowsSaveAs()
    {
        WindowRig rig;
        rig.link().timer()->stop();
        rig.form.ObdPort->timer()->stop();
        rig.form.FormCreate();
        const QString first = rig.dir.filePath(QStringLiteral("first.set"));
        const QString second = rig.dir.filePath(QStringLiteral("second.set"));
        rig.answers.fileAnswers = {first, first, second};
        rig.form.menus()->MenuFileSave()->trigger();
        QVERIFY(QFileInfo::exists(first));
        rig.form.menus()->MenuFileRead()->trigger();
        QCOMPARE(rig.form.windowTitle(), rig.form.baseCaption + QStringLiteral(" - [") + first + QLatin1Char(']'));
        rig.form.menus()->MenuFileSave()->trigger();
        QVERIFY(QFileInfo::exists(second));
        QCOMPARE(rig.form.windowTitle(), rig.form.baseCaption + QStringLiteral(" - [") + second + QLatin1Char(']'));
    }

    void heatMapColours_data()
    {
        QTest::addColumn<double>("d");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("no difference") << 0.0 << QColor(Qt::white);
        QTest::newRow("largest above") << 2.0 << QColor(230, 40, 40);
        QTest::newRow("largest below") << -2.0 << QColor(40, 80, 230);
        QTest::newRow("small above, faint") << 0.1 << QColor(248, 193, 193);
    }
    // The Device menu's list of backups names each controller by the bar code printed on it and
    // by its serial number (the backup folder's name); one whose backups hold no bar code by its
    // serial number alone.
    void backupsListNamesTheBarCode()
    {
        WindowRig rig;
        rig.link().timer()->stop();
        rig.form.ObdPort->timer()->stop();
        rig.form.FormCreate();
        rig.form.Backups->root = rig.dir.filePath(QStringLiteral("Backups"));
        QMenu* list = rig.form.menus()->MenuFileBackups();
        Q_EMIT list->aboutToShow();
        QCOMPARE(list->actions().size(), 1);
        QCOMPARE(list->actions()[0]->text(), TextById(OwnText::NoBackups));
        QVERIFY(!list->actions()[0]->isEnabled());

        MemoryImage labelled = rig.link().mem;
        const QByteArray code("KV2204117");
        std::copy(code.begin(), code.end(), labelled.identity.begin() + 6);
        labelled.identity[22] = 0x0A;
        MemoryImage unlabelled = labelled;
        std::fill(unlabelled.identity.begin() + 6, unlabelled.identity.begin() + 22, 0);
        unlabelled.identity[22] = 0x0B;
        const QDateTime now(QDate(2026, 12, 11), QTime(10, 0));
        QCOMPARE(ConfigBackups::save(rig.form.Backups->root, labelled, now).outcome, ConfigBackups::Written);
        QCOMPARE(ConfigBackups::save(rig.form.Backups->root, unlabelled, now).outcome, ConfigBackups::Written);
        const QString serialA = ConfigBackups::serialOf(labelled), serialB = ConfigBackups::serialOf(unlabelled);

        Q_EMIT list->aboutToShow();
        QStringList texts;
        for (QAction* a : list->actions()) texts << a->text();
        QCOMPARE(texts, QStringList({TextById(OwnText::BackupsOf).arg(QStringLiteral("KV2204117"), serialA), serialB}));
    }

    void heatMapColours()
    {
        QFETCH(double, d);
        QFETCH(QColor, colour);
        QCOMPARE(DiffHeatMap::cellColour(d, 2.0, Qt::white), colour);
    }
};

QTEST_MAIN(TstCompareWindow)
#include "tst_compare_window.moc"
