#pragma once

#include <cstdint>

#include "link/MemoryImage.h"

// What a change of a setting asks of the controller beyond the settings bytes themselves. The
// settings catalogue and the named settings work on a memory image; over the controller link's
// image the link does these, over a file's or a backup's image (no actions) nothing is asked.
class SettingsActions {
public:
    virtual ~SettingsActions() = default;
    // The memory image whose settings the actions follow.
    virtual MemoryImage& settingsImage() = 0;
    // The regions of `mask` changed in the image: their writes are queued.
    virtual void regionsChanged(uint32_t mask) = 0;
    // The load signal or the engine's working pressures changed: the reference correction follows.
    virtual void referenceCorrectionChanged() = 0;
    // The adaptation was switched off: the learned adaptation goes into the idle corrections.
    virtual void adaptationCleared() = 0;
    // The petrol injection type changed: the controller switches the gas injectors again (and,
    // running on gas, changes fuel quickly).
    virtual void injectorAssignmentChanged() = 0;
    // The gas injectors are switched again (setting 12 back to 0).
    virtual void injectorSwitchAsked() = 0;
    // The gas injectors the controller drives (4, 6 or 8).
    virtual int gasInjectors() const = 0;
};
