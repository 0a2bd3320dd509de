// Fuzz harness: the dispatcher of verified controller replies, any command with any length.
// Every frame is built with a correct checksum and scrambling, so all of them pass verification
// and reach the dispatcher through the link's receiver on the in-memory line.
// Input: flags, link state bytes, then frames of (start selector, command, word count, payload).
#include "link/FrameCodec.h"
#include "link/Tsterownik.h"
#include "tests/fuzz/FuzzLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Input in(data, size);
    const uint8_t flags = in.byte();

    Fuzz::LinkOnLine& rig = Fuzz::linkOnLine();
    TSterownik& link = rig.link;
    LoopbackBackend* line = rig.line;
    rig.listen(flags);
    qsizetype& logged = rig.logged;

    // Link state the replies meet: pending one-shot commands, calibration, firmware progress.
    const int commandBits = in.word();
    for (int i = 0; i < TSterownik::CommandCount; ++i)
        if ((commandBits >> i) & 1) link.requestCommand(TSterownik::Command(i));
    link.holdLiveRequest(LiveRequest(in.byte() & 3));
    link.firmwareBlock = in.byte();
    link.readMask = static_cast<uint32_t>(in.word()) | (static_cast<uint32_t>(in.byte()) << 16);
    link.kal.state = in.byte();

    uint8_t frame[FrameCodec::kBufferSize];
    while (!in.empty()) {
        const uint8_t selector = in.byte();
        const uint8_t start = selector & 1 ? FrameCodec::kStartObd : FrameCodec::kStartReply;
        const uint8_t command = in.byte();
        const int length = 2 * in.byte();
        const QByteArray payload = in.take(static_cast<size_t>(length));
        std::memset(frame, 0, sizeof frame);
        std::memcpy(frame + FrameCodec::kHeadSize, payload.constData(), static_cast<size_t>(payload.size()));
        const int total = FrameCodec::buildFrame(frame, start, command, length);
        FrameCodec::scramble(frame, total);
        line->rx.append(reinterpret_cast<const char*>(frame), total);
        if (selector & 2) {
            // Through the whole tick, so that the scheduler acts on what the reply changed.
            for (int i = 0; i < 4 && !line->rx.isEmpty(); ++i) link.Timer1OnTimer();
            line->tx.clear();
        } else {
            for (int i = 0; i < 4 && !line->rx.isEmpty(); ++i) link.OdbiorRx();
        }
        line->rx.clear();
    }
    link.OnTekst = nullptr;  // the handlers count into this call's variable
    link.OnZdarzenie = nullptr;
    return logged < 0;
}
