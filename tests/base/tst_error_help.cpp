// Every error box's explanation: present and translated in the four languages, shown under the box's
// own text in the window's language, and printed by the command line on the line after the code.
#include <QtTest/QtTest>

#include <QtCore/QProcess>
#include <QtCore/QSet>
#include <QtCore/QTemporaryDir>

#include "base/ErrorHelp.h"
#include "base/Prompt.h"
#include "base/TextTable.h"
#include "link/FirmwareUpdate.h"
#include "link/OscFile.h"
#include "link/SettingsFile.h"
#include "link/SettingsFileOps.h"
#include "link/Tsterownik.h"

namespace {

const int kLanguages[] = {TextTable::English, TextTable::Polish, TextTable::Russian, TextTable::Spanish};

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class TstErrorHelp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { programLanguage() = TextTable::Polish; }

    // Each code in each language has its own line: none empty, none left in English where another
    // language is asked for (the table would fall back to English for an empty cell), and no two
    // codes share a line, so a copied row shows.
    void everyCodeInEveryLanguage()
    {
        QVERIFY(ErrorHelp::codes().size() >= 13);
        for (int language : kLanguages) {
            QSet<QString> seen;
            for (int code : ErrorHelp::codes()) {
                const QString text = ErrorHelp::explanation(code, language);
                const QString where = QStringLiteral("code %1, language %2").arg(code).arg(language);
                QVERIFY2(text.size() > 30, qPrintable(where));
                QVERIFY2(!seen.contains(text), qPrintable(where + QStringLiteral(": the same as another code")));
                seen.insert(text);
                if (language != TextTable::English)
                    QVERIFY2(text != ErrorHelp::explanation(code, TextTable::English),
                             qPrintable(where + QStringLiteral(": not translated")));
            }
        }
        QVERIFY(ErrorHelp::explanation(120, TextTable::English).isEmpty());
    }

    // The numbers the file and firmware checks return are all explained: a new code added to one of
    // them without its explanation fails here.
    void codesOfTheChecksAreExplained()
    {
        const int used[] = {SettingsFile::CannotCreate,
                            SettingsFile::CannotOpen,
                            SettingsFile::NotSettingsFile,
                            OscFile::CannotCreate,
                            OscFile::CannotOpen,
                            OscFile::NotRecording,
                            OscFile::AppendFailed,
                            OscFile::CsvFailed,
                            141,
                            142,
                            143,
                            144};
        for (int code : used) QVERIFY2(ErrorHelp::codes().contains(code), qPrintable(QString::number(code)));
        // And the checks return them: a firmware file that is not one is 143, a missing one 141.
        QTemporaryDir dir;
        TSterownik link;
        link.timer()->stop();
        QVERIFY(writeFile(dir.filePath(QStringLiteral("x.img")), QByteArray(2000, 'x')));
        ScriptedPrompt prompt;
        prompt.fileAnswers << dir.filePath(QStringLiteral("x.img")) << dir.filePath(QStringLiteral("none.img"));
        Aktualizacja(link, prompt, dir.path(), {});
        Aktualizacja(link, prompt, dir.path(), {});
        QCOMPARE(prompt.messages.size(), 2);
        QCOMPARE(prompt.messages[0].text, QStringLiteral("Error code 143"));
        QCOMPARE(prompt.messages[1].text, QStringLiteral("Error code 141"));
    }

    // A refused settings file: the box keeps "Error code 123" and carries the line in the window's
    // language, which follows a change of language.
    void boxCarriesTheLineInTheWindowsLanguage()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("short.set"));
        QVERIFY(writeFile(file, QByteArray(3000, '\1')));
        TSterownik link;
        link.timer()->stop();
        for (int language : kLanguages) {
            programLanguage() = language;
            ScriptedPrompt prompt;
            prompt.fileAnswers << file;
            CzytajUstawienia(link, prompt);
            QCOMPARE(prompt.messages.size(), 1);
            QCOMPARE(prompt.messages[0].caption, QStringLiteral("KAVELO"));
            QCOMPARE(prompt.messages[0].text, QStringLiteral("Error code 123"));
            QCOMPARE(prompt.messages[0].icon, Prompt::Icon::Error);
            QCOMPARE(prompt.messages[0].detail, ErrorHelp::explanation(123, language));
        }
    }

    // The command line prints the code and, on the next line, the same explanation in --lang.
    void commandLinePrintsTheLine_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<int>("language");
        QTest::newRow("en") << "en" << int(TextTable::English);
        QTest::newRow("pl") << "pl" << int(TextTable::Polish);
        QTest::newRow("es") << "es" << int(TextTable::Spanish);
        QTest::newRow("without --lang: English") << "" << int(TextTable::English);
    }
    void commandLinePrintsTheLine()
    {
        QFETCH(QString, lang);
        QFETCH(int, language);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("short.set"));
        QVERIFY(writeFile(file, QByteArray(100, '\1')));
        QProcess p;
        QStringList args{QStringLiteral("show-settings"), file};
        if (!lang.isEmpty()) args << QStringLiteral("--lang") << lang;
        p.start(QStringLiteral(KAVELO_CLI), args);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 1);
        const QStringList lines = QString::fromUtf8(p.readAllStandardError()).split(QLatin1Char('\n'));
        QVERIFY(lines.size() >= 2);
        QCOMPARE(lines[0], QStringLiteral("kavelo-cli: Error code 123"));
        QCOMPARE(lines[1], QStringLiteral("kavelo-cli: ") + ErrorHelp::explanation(123, language));
    }
};

QTEST_GUILESS_MAIN(TstErrorHelp)
#include "tst_error_help.moc"
