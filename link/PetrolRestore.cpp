#include "link/PetrolRestore.h"

#include "link/Tsterownik.h"

void PetrolRestore::Start()
{
    active_ = true;
    restored_ = false;
    frames_ = 0;
    sinceFuelChange_ = kFuelChangeSettle;
}

bool PetrolRestore::pending() const
{
    return link_.commandPending(TSterownik::CmdAutoFuelChange) || link_.commandPending(TSterownik::CmdInjectorSwitch);
}

bool PetrolRestore::liveReply(const LiveFrame& frame)
{
    // Only a live reply to a request sent after the last command was acknowledged shows the
    // controller's state: replies come in the order of the requests.
    if (!active_ || pending()) return false;
    ++frames_;
    ++sinceFuelChange_;
    const uint8_t allInjectors = static_cast<uint8_t>(~link_.mem.settings[31]);
    const bool onPetrol = frame.onPetrol();
    if (link_.injectorsEnabled() != allInjectors) link_.switchInjectors(allInjectors);
    if (!onPetrol && sinceFuelChange_ >= kFuelChangeSettle) {
        link_.requestCommand(TSterownik::CmdAutoFuelChange);
        sinceFuelChange_ = 0;
    }
    restored_ = onPetrol && !pending();
    if (restored_ || frames_ >= kLimit) active_ = false;
    return !active_;
}
