// Fuzz harness: the controller link's receiver and frame verification. The input is what arrives
// on the wire, cut into pieces that reach the link across several ticks.
// Input: flags, piece size, then the wire bytes.
#include <algorithm>

#include "link/FrameCodec.h"
#include "link/Tsterownik.h"
#include "tests/fuzz/FuzzLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Input in(data, size);
    const uint8_t flags = in.byte();
    const int piece = 1 + in.byte() % 96;
    const QByteArray wire = in.rest();

    Fuzz::LinkOnLine& rig = Fuzz::linkOnLine();
    TSterownik& link = rig.link;
    LoopbackBackend* line = rig.line;
    rig.listen(flags);
    qsizetype& logged = rig.logged;

    for (qsizetype at = 0; at < wire.size(); at += piece) {
        line->rx.append(wire.constData() + at, std::min<qsizetype>(piece, wire.size() - at));
        if (flags & 8) {
            link.Timer1OnTimer();  // the whole tick: receiver, then the scheduler's send slot
            line->tx.clear();
        } else {
            for (int i = 0; i < 4 && link.OdbiorRx() != -1; ++i) {
            }
        }
    }
    for (int i = 0; i < 4 && link.OdbiorRx() != -1; ++i) {
    }

    // The codec on its own over the same bytes taken as one frame.
    uint8_t frame[FrameCodec::kBufferSize]{};
    const int total = static_cast<int>(std::min<qsizetype>(wire.size(), FrameCodec::kBufferSize));
    std::memcpy(frame, wire.constData(), static_cast<size_t>(total));
    FrameCodec::unscramble(frame, total);
    if (FrameCodec::byteSum(frame, total) == 0) logged += FrameCodec::logLine("  RX:", frame, total).size();
    FrameCodec::scramble(frame, total);
    if (total > 0 && std::memcmp(frame, wire.constData(), static_cast<size_t>(total)) != 0) __builtin_trap();
    link.OnTekst = nullptr;  // the handlers count into this call's variable
    link.OnZdarzenie = nullptr;
    return logged < 0;
}
