#pragma once

#include <QtCore/QString>

#include <cstdint>

// The controller frame: start byte, checksum, word count N, command, then 2N payload bytes that
// travel scrambled. Pure functions over a frame held in a buffer.
namespace FrameCodec {

constexpr uint8_t kStartPc = 0x65;     // every frame the PC sends
constexpr uint8_t kStartReply = 0x56;  // controller replies
constexpr uint8_t kStartObd = 0x36;    // the controller's unsolicited OBD status report
constexpr int kHeadSize = 4;
constexpr int kBufferSize = 1024;

// Two's complement of the 8-bit sum of bytes [0, total): the value that makes the frame sum 0
// when byte 1 is 0.
uint8_t checksumFor(const uint8_t* frame, int total);
// 8-bit sum of bytes [0, total).
uint8_t byteSum(const uint8_t* frame, int total);

// Payload scrambling: key = checksum XOR 0x4D, then each byte i (from 4) is XORed with the key and
// with 255 - (i mod 256); the next key is the plain byte. Both work in place.
void scramble(uint8_t* frame, int total);
void unscramble(uint8_t* frame, int total);

// Fills the head (start, checksum, word count, command) of a frame whose payload of `length`
// bytes is already at byte 4; an odd length gains the pad byte already in the buffer.
// Returns the total frame length.
int buildFrame(uint8_t* frame, uint8_t start, uint8_t command, int length);

// "  TX:" / "  RX:" dump of a plain frame: " XX" per byte, and two more blanks after the head.
QString logLine(const char* prefix, const uint8_t* frame, int total);

}  // namespace FrameCodec
