#pragma once

// A controller link on the in-memory line, with the far end played by the test: frames the link
// sent are decoded with the simulator's own codec, replies are built with it too, so a fault in the
// link's codec cannot make both sides agree.
#include <QtCore/QByteArray>
#include <QtCore/QList>

#include <memory>

#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"
#include "sim/controller/ControllerSim.h"
#include "sim/controller/SimFrames.h"

struct LinkEvent {
    int kind, code, value, length;
};

class LinkRig {
public:
    LinkRig()
    {
        link.timer()->stop();
        auto backend = std::make_unique<LoopbackBackend>();
        line = backend.get();
        link.setBackend(std::move(backend));
        link.OnZdarzenie = [this](int kind, int code, int value, int length) {
            events.append({kind, code, value, length});
            if (kind == kEventFrameSent) sent.append({code, link.slotCounter});
        };
    }

    bool open() { return link.PortOpen(1); }

    // Runs ticks until the next send slot has passed; returns the command sent in it, or -1 when
    // the slot stayed silent (a wait after a write). A frame the link sent at once, at the tick
    // that took the last reply (the bulk read), is that slot's.
    int slot(SimFrames::Request* sent = nullptr)
    {
        const int before = link.slotCounter;
        for (int i = 0; i < 64 && link.slotCounter == before && line->tx.isEmpty(); ++i) link.Timer1OnTimer();
        const QByteArray wire = line->tx;
        auto request = SimFrames::takeRequest(line->tx);
        if (far && !wire.isEmpty()) deliver(far->handle(wire));
        if (!request) return -1;
        if (sent) *sent = *request;
        return request->command;
    }

    // Commands sent in the next `n` slots.
    QList<int> slots(int n)
    {
        QList<int> out;
        for (int i = 0; i < n; ++i) out.append(slot());
        return out;
    }

    // Puts a reply on the line and ticks until the link has taken it whole.
    void reply(uint8_t command, const QByteArray& data, uint8_t start = 'V')
    {
        QByteArray payload(2, '\0');
        payload.append(data);
        deliver(SimFrames::encode(start, command, payload));
    }

    void deliver(const QByteArray& wire)
    {
        line->rx.append(wire);
        for (int i = 0; i < 8 && !line->rx.isEmpty(); ++i) link.Timer1OnTimer();
    }

    // The identification reply of a controller in application mode with `injectors` cylinders.
    static QByteArray identification(int mode = 0, int injectors = 4)
    {
        QByteArray id(76, '\0');  // frame bytes 4..79
        id[5 - 4] = static_cast<char>(mode);
        id[42 - 4] = 3;
        id[43 - 4] = static_cast<char>(injectors);
        id[59 - 4] = static_cast<char>(injectors);
        id[60 - 4] = 31;
        for (int i = 66; i < 70; ++i) id[i - 4] = static_cast<char>(128);
        return id;
    }

    // Opens the port and answers the identification twice (the link takes the identity from two
    // agreeing replies): the link then reads its regions.
    void connectController()
    {
        open();
        for (int i = 0; i < 2; ++i) {
            slot();  // identification request
            deliver(SimFrames::encode('V', 0x81, identification()));
        }
    }

    int eventsOf(int kind, int code) const
    {
        int n = 0;
        for (const LinkEvent& e : events) n += e.kind == kind && e.code == code;
        return n;
    }

    TSterownik link;
    LoopbackBackend* line = nullptr;
    ControllerSim* far = nullptr;  // when set, answers every frame the link sends
    QList<LinkEvent> events;
    QList<std::pair<int, int>> sent;  // every frame sent: its command and the slot it went out in
};
