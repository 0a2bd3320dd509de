#pragma once

// A controller link on the in-memory line for the link harnesses, built once per process and put
// back into its freshly-opened state before every input (building a link per input would be most
// of the work).
#include <memory>

#include "link/FrameCodec.h"
#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"
#include "tests/fuzz/FuzzSupport.h"

namespace Fuzz {

struct LinkOnLine {
    LinkOnLine()
    {
        link.timer()->stop();
        auto backend = std::make_unique<LoopbackBackend>();
        line = backend.get();
        link.setBackend(std::move(backend));
        link.PortOpen(1);
        pristine = link.mem;
    }

    // The state of a link that has just opened its port.
    void reset()
    {
        link.OnTekst = nullptr;
        link.OnZdarzenie = nullptr;
        logged = 0;
        // A buffer's worth of bytes takes the receiver's overflow path, which drops a frame held
        // half-received and empties the line.
        line->rx = QByteArray(FrameCodec::kBufferSize, '\0');
        link.OdbiorRx();
        line->rx.clear();
        line->tx.clear();
        link.HistoriaZmianKasuj();  // also forgets history changes waiting for the history read
        // Everything but the firmware buffer, which no reply writes: copying it would cost more
        // than most inputs.
        MemoryImage& m = link.mem;
        m.maps = pristine.maps;
        m.settings = pristine.settings;
        m.blocks = pristine.blocks;
        m.identity = pristine.identity;
        m.reservedA = pristine.reservedA;
        m.obdStatus = pristine.obdStatus;
        m.timeAxisMax = pristine.timeAxisMax;
        link.UtworzWykresy();
        link.readMask = link.writeMask = link.linkMask = 0;
        link.switchInjectors(255);
        for (int c = 0; c < TSterownik::CommandCount; ++c) link.cancelCommand(TSterownik::Command(c));
        link.flashing = false;
        link.firmwareBlock = 0;
        link.releaseLiveRequest(LiveRequest(~0));
        link.tickCounter = link.slotCounter = link.waitCounter = link.unanswered = 0;
        link.busy = false;
        link.setVerboseLive(false);
        link.setVerboseObd(false);
        link.injectorCount = 8;
        link.liveStatus = {};
        link.setDiagnosticChannels(false);
        link.twoLambdas = 0;
        link.kal = {};
        link.justOpened = true;
    }

    // Verbosity and log sinks from an input's flags: bit 0 live frames, bit 1 OBD frames, bit 2 the
    // log text; event lengths are always taken. Everything the sinks receive adds to `logged`.
    void listen(uint8_t flags)
    {
        link.setVerboseLive(flags & 1);
        link.setVerboseObd((flags >> 1) & 1);
        if (flags & 4) link.OnTekst = [this](QObject*, const QString& text, TColor) { logged += text.size(); };
        link.OnZdarzenie = [this](int, int, int, int length) { logged += length; };
    }

    TSterownik link;
    LoopbackBackend* line = nullptr;
    qsizetype logged = 0;
    MemoryImage pristine;
};

inline LinkOnLine& linkOnLine()
{
    ensureApplication();
    static LinkOnLine* rig = new LinkOnLine;  // never destroyed: the application object may go first
    rig->reset();
    return *rig;
}

}  // namespace Fuzz
