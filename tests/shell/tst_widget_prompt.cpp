// The window's own questions, as a fitter sees them: the answers in the window's language.
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>

#include "base/TextTable.h"
#include "shell/WidgetPrompt.h"

class TstWidgetPrompt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(programTexts().load()); }

    // The yes/no question shows the language's own words, and the button pressed is the answer.
    void yesNoSpeaksTheWindowsLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");
        QTest::addColumn<bool>("pressYes");
        QTest::newRow("English, yes") << int(TextTable::English) << QStringLiteral("Yes") << QStringLiteral("No")
                                      << true;
        QTest::newRow("Polish, no") << int(TextTable::Polish) << QStringLiteral("Tak") << QStringLiteral("Nie")
                                    << false;
        QTest::newRow("Russian, yes") << int(TextTable::Russian) << QStringLiteral("Да") << QStringLiteral("Нет")
                                      << true;
        QTest::newRow("Spanish, yes") << int(TextTable::Spanish) << QStringLiteral("Sí") << QStringLiteral("No")
                                      << true;
    }
    void yesNoSpeaksTheWindowsLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        QFETCH(bool, pressYes);
        const int before = programLanguage();
        programLanguage() = language;
        QWidget parent;
        WidgetPrompt prompt(&parent);
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            QAbstractButton* y = box->button(QMessageBox::Yes);
            QAbstractButton* n = box->button(QMessageBox::No);
            shown = {y->text(), n->text()};
            QTest::mouseClick(pressYes ? y : n, Qt::LeftButton);
        });
        const bool answer = prompt.yesNo(QStringLiteral("KAVELO"), QStringLiteral("?"));
        programLanguage() = before;
        QCOMPARE(shown, (QStringList{yes, no}));
        QCOMPARE(answer, pressYes);
    }
};

QTEST_MAIN(TstWidgetPrompt)
#include "tst_widget_prompt.moc"
