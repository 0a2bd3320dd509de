// The session's settings catalogue shared by the settings editor and a dialog it opens, as widgets
// with real mouse events: an edit through one is what the other shows.
#include <QtTest/QtTest>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QToolButton>

#include "base/TextTable.h"
#include "dialogs/Unitnastaw.h"
#include "editor/Tnastawy.h"
#include "session/WorkshopSession.h"
#include "settings/SettingsPages.h"
#include "ui/UpDown.h"

class TstSessionCatalogue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(programTexts().load()); }

    void editorAndDialogShareTheCatalogue()
    {
        WorkshopSession session;
        session.link().timer()->stop();
        session.catalogue().LoadDefaults();
        QWidget host;
        auto* editor = new TNastawy(session.link(), session.catalogue(), &host);
        host.resize(740, 400);
        editor->setGeometry(0, 0, 740, 400);
        host.show();
        editor->SetViewLevel(1);
        editor->SetPage(0);
        editor->Relayout();
        TFormNastaw dialog(&host, &session);
        QCOMPARE(dialog.Catalogue, &session.catalogue());
        QCOMPARE(&editor->catalogue(), &session.catalogue());

        // Setting 63 is on the editor's main page and the first row of the dialog its detail opens.
        constexpr int kSetting = 63;
        const int at = static_cast<int>(editor->cells().indexOf(kSetting));
        QVERIFY(at >= 0);
        const QRect cell = editor->cellRect(at % 2, at / 2);
        const NastawyLayout::Geometry& g = editor->geometry();
        const uint8_t* settings = session.link().mem.settings.data();
        const int start = settings[kSetting];
        QVERIFY(start + 2 <= session.catalogue().descriptor(kSetting).max);

        // The editor's plus button: the dialog opens on the new value.
        const QPoint plus((g.p(at % 2, 4) + g.p(at % 2, 5)) / 2, cell.center().y());
        QTest::mouseClick(editor, Qt::LeftButton, {}, plus);
        QCOMPARE(int(settings[kSetting]), start + 1);
        dialog.opening = kSetting;
        QVERIFY(dialog.Open());
        QCOMPARE(dialog.UpDowns[0]->position(), start + 1);
        QCOMPARE(dialog.Edits[0]->text(), session.catalogue().ValueText(kSetting));

        // The dialog's up button: the editor draws the new value at once (the catalogue asks it to).
        const QImage before = editor->image().copy(cell);
        QTest::mouseClick(dialog.UpDowns[0]->upButton(), Qt::LeftButton);
        QCOMPARE(int(settings[kSetting]), start + 2);
        QVERIFY(editor->image().copy(cell) != before);
        dialog.accept();
    }
};

QTEST_MAIN(TstSessionCatalogue)
#include "tst_session_catalogue.moc"
