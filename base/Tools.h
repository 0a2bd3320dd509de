#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QStringList>

#include <cstdint>

// Resources built into the program, by their numeric identifiers.
constexpr int kResourceLanguageTable = 950;
constexpr int kResourceDtcEnglish = 900;
constexpr int kResourceDtcPolish = 901;

// Loads text resource `id` into `lines`, one entry per line (CR LF or LF). A UTF-16LE byte-order
// mark selects UTF-16; otherwise every byte becomes the character of the same code, so that 8-bit
// texts keep their bytes for the caller to convert. Returns the resource size in bytes; 0, with
// `lines` unchanged, when the resource is missing or empty.
int LoadTextResource(int id, QStringList& lines);
// The decoding of LoadTextResource over bytes already in memory.
int DecodeTextLines(const QByteArray& bytes, QStringList& lines);

// Raw bytes of resource `id`; empty when missing.
QByteArray ResourceBytes(int id);

// Copies resource `id` into `buffer` of `capacity` bytes; returns the count copied, 0 when the
// resource is missing or does not fit.
int CopyResource(int id, char* buffer, int capacity);
