// Sending and receiving controller frames: the lowest layer of the controller link.
#include <algorithm>
#include <chrono>

#include "link/Tsterownik.h"

namespace {
constexpr TColor kTxColour = Rgb(128, 0, 0);
constexpr TColor kRxColour = Rgb(0, 0, 255);
constexpr TColor kErrorColour = Rgb(255, 0, 0);

bool isLiveCommand(int command) { return command >= 0x90 && command <= 0x9F; }

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

void TSterownik::RamkaAll(uint8_t start, uint8_t command, int length)
{
    if (!PortConnected()) return;
    if (unanswered < 255) ++unanswered;
    const int total = FrameCodec::buildFrame(txBuffer, start, command, length);
    if (OnTekst && (!isLiveCommand(command) || verboseLive_ == 1))
        log(FrameCodec::logLine("  TX:", txBuffer, total), kTxColour);
    noteRequestSent(command);
    zdarzenie(kEventFrameSent, command, 0, total);
    FrameCodec::scramble(txBuffer, total);
    PortWrite(txBuffer, total);
}

void TSterownik::Ramka(int command, int length)
{
    RamkaAll(FrameCodec::kStartPc, static_cast<uint8_t>(command), length);
}

int TSterownik::OdbiorRx()
{
    const int n = PortInQueCount();
    if (n < 1) return -1;
    if (headHeld_ == 0 && n < FrameCodec::kHeadSize) return -1;
    // The guard counts the head, not the payload bytes already taken.
    if ((headHeld_ ? FrameCodec::kHeadSize : 0) + n >= FrameCodec::kBufferSize) {
        log(QStringLiteral("  przekroczenie bufora"), kErrorColour);
        headHeld_ = 0;
        PortPurgeRx();
        return -1;
    }
    if (headHeld_ == 0) {
        if (PortRead(rxBuffer, FrameCodec::kHeadSize) != FrameCodec::kHeadSize) return -1;
        const uint8_t start = rxBuffer[0];
        if (start == FrameCodec::kStartReply || start == FrameCodec::kStartObd) {
            headHeld_ = FrameCodec::kHeadSize;
            payloadNeeded_ = 2 * rxBuffer[2];
            return -2;
        }
        if (OnTekst) {
            QString line = QStringLiteral("  brak bajtu startowego : ");
            for (int i = 0; i < FrameCodec::kHeadSize; ++i)
                line += QStringLiteral(" %1").arg(rxBuffer[i], 2, 16, QLatin1Char('0')).toUpper();
            log(line, kErrorColour);
        }
        PortPurgeRx();
        return -1;
    }
    // The payload is taken as it comes, so that the queue empties while a frame is incomplete: a
    // frame that lost bytes on the line then holds up the send slots only while bytes still
    // arrive. The next reply completes it, the checksum fails, and the receiver finds the
    // following start byte.
    const int take = std::min(n, payloadNeeded_);
    if (take > 0) {
        const int got = PortRead(rxBuffer + headHeld_, take);
        if (got < 0 || got > take) {
            headHeld_ = 0;
            return -1;
        }
        headHeld_ += got;
        payloadNeeded_ -= got;
    }
    if (payloadNeeded_ > 0) return -2;
    const int length = headHeld_;
    headHeld_ = 0;
    AnalizaOdbioru(length);
    return length;
}

void TSterownik::AnalizaOdbioru(int length)
{
    if (length < FrameCodec::kHeadSize || length > FrameCodec::kBufferSize) return;
    FrameCodec::unscramble(rxBuffer, length);
    if (FrameCodec::byteSum(rxBuffer, length) != 0) {
        log(QStringLiteral("  błąd sumy "), kErrorColour);
        return;
    }
    bool writeRxLine = true;
    replyHeld_ = false;
    const bool recognised = dispatchReply(length, writeRxLine);
    if (writeRxLine && OnTekst) log(FrameCodec::logLine("  RX:", rxBuffer, length), kRxColour);
    if (recognised) {
        // Heard again after a silence with edits made meanwhile: the controller may have been
        // restarted or swapped while nothing answered, so it is identified again and the fitter is
        // asked about those edits, as after a reconnection. Without such edits a silent stretch
        // (a damaged line) only resumes: the reading in progress goes on.
        if (unanswered > kUnansweredLimit && unsentEdits_) linkMask |= 1;
        unanswered = 0;
        const uint8_t command = rxBuffer[3];
        noteReply(command);
        // A reply waiting for a second one to agree is no news to the views yet.
        if (replyHeld_) return;
        if (command == 0x82) errorList_ = LiveFrame(rxBuffer, length, std::min(length, LiveFrame::kSize));
        // The views get a copy taken now: whatever a handler of the event does to the link, they
        // are handed the reply as it arrived.
        const bool live = isLiveCommand(command) && length > 4;
        LiveFrame frame = live ? LiveFrame(rxBuffer, length) : LiveFrame();
        if (live) {
            frame.setReceivedAt(receiveClock_ ? receiveClock_() : steadyMs());
            lastLive_ = frame;
        }
        zdarzenie(kEventFrameReceived, command, 0, length);
        if (live) Q_EMIT liveFrame(frame);
    }
}
