#include "base/TextTable.h"

#include "base/OwnTexts.h"
#include "base/Tools.h"

namespace {

// Names of the diagnostic channels: the same in every language, each with its leading blank.
QString fixedText(int id)
{
    static const char* const kTexts[] = {
        " t. ster.",   " plus",       " mnożnik", " kor. obr.", " kor. cis.",
        " kor. temp.", " kor. razem", " plus",    " otw/nat",   " test",
    };
    if (id > -30 || id < -39) return {};
    return QString::fromUtf8(kTexts[-30 - id]);
}

// Trims blanks and control characters (code 32 and below) from both ends.
QString trimmed(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= 32) ++b;
    while (e > b && s[e - 1].unicode() <= 32) --e;
    return s.mid(b, e - b).toString();
}

// Splits the next cell off `rest`: the text before the first TAB; `rest` becomes what follows it,
// or stays unchanged when there is no TAB (`lastCell` empties it instead).
QString takeCell(QStringView& rest, bool lastCell = false)
{
    const qsizetype tab = rest.indexOf(QLatin1Char('\t'));
    if (tab < 0) {
        const QString cell = trimmed(rest);
        if (lastCell) rest = {};
        return cell;
    }
    const QString cell = trimmed(rest.left(tab));
    rest = rest.mid(tab + 1);
    return cell;
}

}  // namespace

bool TextTable::load(int resource) { return LoadTextResource(resource, rows) > 0; }

bool TextTable::loadStored(const QByteArray& bytes) { return DecodeTextLines(bytes, rows) > 0; }

QString TextTable::text(int id, int language) const
{
    if (id == 0) return {};
    if (id < 0) return fixedText(id);
    if (id <= 999 || language < English || language > Spanish) return {};

    const QString key = QString::number(id);
    int index = cache_.value(id, 0);
    if (index >= rows.size() || !rows[index].startsWith(key)) {
        index = -1;
        for (int i = 0; i < rows.size(); ++i) {
            if (rows[i].startsWith(key)) {
                index = i;
                break;
            }
        }
        if (index < 0) return {};
        cache_.insert(id, index);
    }

    QStringView rest = QStringView(rows[index]).mid(5);
    const QString polish = takeCell(rest);
    if (language == Polish) return polish;
    const QString english = takeCell(rest);
    if (language == English) return english;
    const QString russian = takeCell(rest, true);
    if (language == Russian) return russian.isEmpty() ? english : russian;
    const QString spanish = trimmed(rest);
    return spanish.isEmpty() ? english : spanish;
}

TextTable& programTexts()
{
    static TextTable table;
    return table;
}

int& programLanguage()
{
    static int language = TextTable::Polish;
    return language;
}

TextTable& ownTexts()
{
    static TextTable table = [] {
        TextTable t;
        t.load(kResourceOwnTexts);
        return t;
    }();
    return table;
}

QString TextById(int id)
{
    if (id >= OwnText::First) return ownTexts().text(id, programLanguage());
    return programTexts().text(id, programLanguage());
}
