#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>
#include <QtCore/QVector>

#include <cstdint>

#include "link/ChannelDecoder.h"

class QIODevice;
class ChannelTable;

// The CSV export of oscilloscope samples: one column per channel shown in the readings lists
// (flags 0x1, and 0x4 while the diagnostic flag is on), a "sec;" header with the channels' long
// labels, one line per sample, ";" after every field, CR LF line ends, the user's decimal
// separator. Pure formatting shared by the view and the command line.
namespace ScopeCsv {

struct Column {
    ChannelDecoder::Channel channel;
    int decimals = 0;  // 0 general format, 1..3 fixed; above 3 the column writes nothing
    int id = 0;        // language text ID of the long label
};

QVector<Column> columns(const ChannelTable& table);
// "sec;" followed by each column's label and ";", with CR LF.
QString header(const QVector<Column>& columns);

// Appends the lines of `count` samples (128 bytes each, from `samples`); the first is numbered
// `firstIndex` (its time is firstIndex x 0.1 s). `decimalPoint` is the separator as encoded text.
void appendRows(QByteArray& out, const QVector<Column>& columns, const uint8_t* samples, int count, qint64 firstIndex,
                const QByteArray& decimalPoint);

// Text in the file's encoding: the system's 8-bit code page on Windows, UTF-8 elsewhere.
QByteArray encode(const QString& text);
// The user's decimal separator in the file's encoding.
QByteArray decimalPoint();

// Writes the whole export of `count` samples to `path` through a temporary file: 0, or 135 when
// it failed (an existing file is then left as it was).
int save(const QString& path, const ChannelTable& table, const uint8_t* samples, int count);

}  // namespace ScopeCsv
