// Fuzz harness: the language table in its stored form (UTF-16LE with byte-order mark, or 8-bit),
// and the lookup with its fallbacks. Input: the table's bytes.
#include "base/TextTable.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Input in(data, size);
    TextTable table;
    if (!table.loadStored(in.rest())) return 0;

    // The IDs that the first rows start with and a few fixed ones, each in every language; the
    // first ID once more, now from the row cache.
    QList<int> ids = {0, -30, -40, 999, 10000};
    for (qsizetype i = 0; i < std::min<qsizetype>(table.rows.size(), 6); ++i) ids.append(table.rows[i].left(4).toInt());
    qsizetype seen = 0;
    for (int id : ids)
        for (int language = -1; language <= 4; ++language) seen += table.text(id, language).size();
    seen += table.text(ids.last(), TextTable::Spanish).size();
    return seen < 0;
}
