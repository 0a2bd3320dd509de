#pragma once

#include <QtCore/QHash>
#include <QtCore/QString>
#include <QtCore/QStringList>

// The program's texts in Polish, English, Russian and Spanish, addressed by a four-digit text ID.
// Rows are kept as stored: "NNNN<TAB>Polish<TAB>English<TAB>Russian<TAB>Spanish".
class TextTable {
public:
    enum Language { English = 0, Polish = 1, Russian = 2, Spanish = 3 };

    // Replaces the rows from the embedded table (the language table by default); false (rows
    // unchanged) when it cannot be read.
    bool load(int resource = 950);
    // The same from a table in its stored form held in memory.
    bool loadStored(const QByteArray& bytes);
    // Text of `id` in `language`, trimmed; empty when there is none. Russian and Spanish fall back
    // to English for an empty cell; a row with a single text serves every language.
    QString text(int id, int language) const;

    QStringList rows;

private:
    // Row index where each ID was last found; rows never change order, so it survives reloads.
    mutable QHash<int, int> cache_;
};

// The program-wide table and the current language (Polish until a preference says otherwise).
TextTable& programTexts();
int& programLanguage();
// Text of `id` in the current language.
QString TextById(int id);
