#pragma once

#include <QtCore/QByteArray>

#include <cstdint>
#include <optional>

// The controller's side of the frame rules, written on its own from the link's codec so that a
// mistake in one does not make both sides agree on a wrong frame.
namespace SimFrames {

struct Request {
    uint8_t command = 0;
    QByteArray payload;  // plain payload, prefix included
};

// Wire bytes of a frame with start byte `start`, command and plain payload (padded to even).
QByteArray encode(uint8_t start, uint8_t command, QByteArray payload);

// Takes complete PC frames from the front of `stream`. Bytes that cannot start a frame are
// skipped one by one; a frame with a wrong checksum is consumed and reported as std::nullopt
// in `bad` count. Returns the next valid request, or nothing when the stream holds no whole frame.
std::optional<Request> takeRequest(QByteArray& stream, int* badFrames = nullptr);

}  // namespace SimFrames
