#pragma once

// The PC's side of a simulated line for tests that talk to the controller simulator byte by byte:
// the wire bytes of a request, and the wait for a serial backend to notice its device is gone.
#include <QtCore/QByteArray>
#include <QtTest/QtTest>

#include <cstdint>

#include "link/FrameCodec.h"
#include "link/QtSerialBackend.h"

// Wire bytes of a PC request without payload.
inline QByteArray pcRequest(uint8_t command)
{
    uint8_t frame[FrameCodec::kBufferSize] = {};
    const int total = FrameCodec::buildFrame(frame, FrameCodec::kStartPc, command, 0);
    FrameCodec::scramble(frame, total);
    return QByteArray(reinterpret_cast<const char*>(frame), total);
}

// Polls `backend` until it reports the device gone (it closes itself); true when it did within
// `polls` milliseconds or so.
inline bool seesDeviceGone(QtSerialBackend& backend, int polls = 200)
{
    for (int i = 0; i < polls; ++i) {
        if (!backend.isOpen()) return true;
        QTest::qWait(1);
    }
    return false;
}
