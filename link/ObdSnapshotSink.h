#pragma once

#include <cstdint>

// Where the OBD reader hands its fuel snapshot: the bytes it decoded from the car's computer
// (bytes 5..11 of the OBD status block the controller gets), and the request that the next live
// request carries them. The controller link implements it; the reader knows nothing else of it.
class ObdSnapshotSink {
public:
    virtual ~ObdSnapshotSink() = default;
    // One byte of the OBD status block, `index` 0..35; others are ignored.
    virtual void setObdSnapshotByte(int index, uint8_t value) = 0;
    // The next live request goes out as "live with OBD", carrying the block.
    virtual void requestLiveWithObd() = 0;
};
