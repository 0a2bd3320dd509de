#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

// Reading the ELM327's reply text: hexadecimal byte fields separated by spaces, lines ended by a
// carriage return, the whole reply ended by the '>' prompt. Pure functions, safe on any bytes.
namespace ObdReplyText {

// Reads `fields` space-separated hexadecimal fields starting at `pos` (0-based) as one number, the
// first field most significant. Other characters (CR, '>', '.') are skipped; the walk ends at a NUL,
// at the end of the text, or after 255 characters. Values wider than 32 bits wrap.
uint32_t TekstNaInt(const QByteArray& text, int pos, int fields);

// An adapter's error reply: it contains "NO DATA", "ERROR" or "NO". An empty reply (time-out) is
// not an error reply.
bool CzyBlad(const QByteArray& reply);

// Upper-case hexadecimal with at least `digits` digits; a larger value keeps all its digits.
QByteArray Hex(uint32_t value, int digits = 2);

// Protocol number from the reply to "ATDPN": the echo and everything after the first line are
// dropped. A leading "A" before the number is the adapter's mark of an automatic search and is
// skipped ("A6" is protocol 6); a single hexadecimal letter A..C is protocol 10..12. Anything
// that is not a number gives 0.
int ProtocolNumber(const QByteArray& reply);

// Texts shown for a protocol number: the OBD row of the status grid and the longer log text.
QString ProtocolRowText(int protocol);
QString ProtocolLogText(int protocol);
// True for the protocol numbers the table knows (1..12).
bool ProtocolKnown(int protocol);

// Log form of raw adapter bytes: every byte below 16 (CR, LF) is shown as '.'.
QString LogForm(const QByteArray& bytes);

}  // namespace ObdReplyText
