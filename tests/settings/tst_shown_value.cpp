// A setting typed as the program shows it, read back into its stored byte: the pure reading over
// hand-made rules, and the rules the settings catalogue makes for its own settings.
#include <QtCore/QLocale>
#include <QtTest/QtTest>

#include "base/TextTable.h"
#include "link/Tsterownik.h"
#include "settings/SettingsCatalogue.h"
#include "settings/ShownValue.h"

using ShownValue::Outcome;
using ShownValue::Rule;

Q_DECLARE_METATYPE(ShownValue::Outcome)

namespace {

Rule number(double scale, int bias, int decimals, int min, int max, double offset = 0, int current = -1)
{
    Rule r;
    r.kind = Rule::Number;
    r.scale = scale;
    r.bias = bias;
    r.decimals = decimals;
    r.min = min;
    r.max = max;
    r.offset = offset;
    r.current = current;
    return r;
}

Rule choice(int min, const QStringList& texts)
{
    Rule r;
    r.kind = Rule::Choice;
    r.min = min;
    r.max = min + static_cast<int>(texts.size()) - 1;
    r.choices = texts;
    return r;
}

}  // namespace

class TstShownValue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("raw");
        const Rule celsius = number(1.0, 128, 0, 128, 218);  // a signed temperature, 0 .. 90 °C
        const Rule volts = number(0.06, 0, 2, 5, 200);       // 0.30 .. 12.00 V
        const Rule ms = number(0.1, 0, 1, 0, 25);
        QTest::newRow("signed: 41 °C") << celsius << "41" << Outcome::Taken << 169;
        QTest::newRow("signed: the lower limit") << celsius << "0" << Outcome::Taken << 128;
        QTest::newRow("signed: the upper limit") << celsius << "90" << Outcome::Taken << 218;
        QTest::newRow("signed: below") << celsius << "-1" << Outcome::OutOfLimits << -1;
        QTest::newRow("signed: above") << celsius << "91" << Outcome::OutOfLimits << -1;
        QTest::newRow("signed: huge") << celsius << "1e300" << Outcome::OutOfLimits << -1;
        QTest::newRow("signed: half a step above rounds out") << celsius << "90.6" << Outcome::OutOfLimits << -1;
        QTest::newRow("signed: within half a step rounds in") << celsius << "90.4" << Outcome::Rounded << 218;
        QTest::newRow("scaled, as shown") << volts << "3.00" << Outcome::Taken << 50;
        QTest::newRow("scaled, fewer decimals") << volts << "3" << Outcome::Taken << 50;
        QTest::newRow("scaled, decimal comma") << volts << "3,06" << Outcome::Taken << 51;
        QTest::newRow("scaled, between steps") << volts << "3.01" << Outcome::Rounded << 50;
        QTest::newRow("tenths") << ms << "2.5" << Outcome::Taken << 25;
        QTest::newRow("tenths, spaces and sign") << ms << " +0.1 " << Outcome::Taken << 1;
        QTest::newRow("not a number") << ms << "fast" << Outcome::NotANumber << -1;
        QTest::newRow("empty") << ms << "" << Outcome::NotANumber << -1;
        QTest::newRow("not finite") << ms << "nan" << Outcome::NotANumber << -1;
        // 181 x 0.0078125 = 1.414 shows as 1.41, and so does 180: the byte held stays.
        QTest::newRow("the byte held shows the same")
            << number(0.0078125, 0, 2, 0, 255, 0, 181) << "1.41" << Outcome::Taken << 181;
        QTest::newRow("nearest step otherwise") << number(0.0078125, 0, 2, 0, 255) << "1.41" << Outcome::Taken << 180;
        // An idle correction: (raw - 128) x 0.02 + 1 + the learned adaptation (here 0.10).
        QTest::newRow("with an offset") << number(0.02, 128, 2, 0, 255, 1.10) << "1.20" << Outcome::Taken << 133;
        QTest::newRow("general form, small scale") << number(0.01, 0, 0, 0, 255) << "0.06" << Outcome::Taken << 6;
        QTest::newRow("general form, between") << number(0.01, 0, 0, 0, 255) << "0.065" << Outcome::Rounded << 7;
        QTest::newRow("no scale") << number(0.0, 0, 0, 0, 255) << "0" << Outcome::NotTyped << -1;
        QTest::newRow("nothing to type") << Rule{} << "1" << Outcome::NotTyped << -1;

        const Rule fuel = choice(0, {"LPG", "CNG"});
        const Rule sensor = choice(1, {QString::fromUtf8("2.2 kΩ"), QString::fromUtf8("4.7 kΩ")});
        QTest::newRow("choice") << fuel << "CNG" << Outcome::Taken << 1;
        QTest::newRow("choice, any case") << fuel << "lpg" << Outcome::Taken << 0;
        QTest::newRow("choice, from min") << sensor << QString::fromUtf8("4.7 kΩ") << Outcome::Taken << 2;
        QTest::newRow("choice, Ohm typed") << sensor << "2.2  kOhm" << Outcome::Taken << 1;
        QTest::newRow("choice, a number is no text") << fuel << "1" << Outcome::NoSuchChoice << -1;
        QTest::newRow("choice, part of a text") << fuel << "LP" << Outcome::NoSuchChoice << -1;
        QTest::newRow("choice, empty") << fuel << " " << Outcome::NoSuchChoice << -1;
    }
    void parse()
    {
        QFETCH(Rule, rule);
        QFETCH(QString, text);
        const ShownValue::Parsed p = ShownValue::parse(rule, text);
        QTEST(p.outcome, "outcome");
        QTEST(p.raw, "raw");
    }

    // The catalogue's rules: what `get` shows of a setting is read back into the same byte, for every
    // labelled setting and every byte within its limits.
    void catalogueRulesReadBackWhatTheyShow()
    {
        QVERIFY(programTexts().load());
        QLocale::setDefault(QLocale::c());
        TSterownik link;
        SettingsCatalogue cat(link.mem, &link);
        cat.RegisterSettings();
        cat.LoadDefaults();
        link.mem.identity[66] = 133;  // an idle adaptation learned by the controller
        for (int language : {TextTable::English, TextTable::Polish, TextTable::Russian, TextTable::Spanish}) {
            programLanguage() = language;
            for (int index = 0; index < SettingsCatalogue::kIndexCount; ++index) {
                const SettingDescriptor& d = cat.descriptor(index);
                const Rule rule = cat.ShownRule(index);
                if (rule.kind == Rule::None) continue;
                for (int raw = d.min; raw <= d.max; ++raw) {
                    const QString shown = cat.ValueText(index, raw);
                    if (shown.isEmpty()) continue;  // a list text the table lacks: only --raw gives it
                    const ShownValue::Parsed p = ShownValue::parse(rule, shown);
                    QVERIFY2(p.outcome == Outcome::Taken,
                             qPrintable(QStringLiteral("index %1 raw %2 \"%3\"").arg(index).arg(raw).arg(shown)));
                    // Two bytes may show alike (a coarse display, two equal list texts): the byte
                    // taken then shows the same text.
                    QCOMPARE(cat.ValueText(index, p.raw), shown);
                }
            }
        }
        programLanguage() = TextTable::English;
        QCOMPARE(ShownValue::parse(cat.ShownRule(51), QStringLiteral("41")).raw, 169);
        QCOMPARE(ShownValue::parse(cat.ShownRule(10), QStringLiteral("turbo")).raw, 1);
        QCOMPARE(ShownValue::parse(cat.ShownRule(90), QStringLiteral("1.10")).raw, 128);
        QCOMPARE(ShownValue::parse(cat.ShownRule(31), QStringLiteral("0")).outcome, Outcome::NotTyped);
        QCOMPARE(ShownValue::parse(cat.ShownRule(115), QStringLiteral("-")).outcome, Outcome::NotTyped);
        QCOMPARE(link.writeMask, 0u);  // making the rules showed nothing that needed putting right
    }
};

QTEST_GUILESS_MAIN(TstShownValue)
#include "tst_shown_value.moc"
