// Fuzz harness: decoding a mode-01 PID reply and the supported-PID bitmaps through the OBD reader,
// and the value formulas of the catalogue.
// Input: protocol, PID, computer choice, locale and formula, then the adapter's reply.
#include <QtCore/QLocale>

#include "link/Tsterownik.h"
#include "obd/ObdDiscovery.h"
#include "obd/ObdPidCatalogue.h"
#include "obd/Telmobd.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::ensureApplication();
    // One reader for the whole run: building the catalogue per input would be most of the work.
    static TObd* obd = [] {
        auto* o = new TObd;
        o->timer()->stop();
        auto* link = new TSterownik;
        link->timer()->stop();
        o->sterownik = link;
        return o;
    }();
    static const QLocale kLocales[] = {QLocale::c(), QLocale(QLocale::Polish), QLocale(QLocale::German)};

    Fuzz::Input in(data, size);
    obd->protocol = in.byte() % 14 - 1;
    obd->currentPid = in.byte() % 140 - 4;
    const uint8_t ecuChoice = in.byte();
    const uint8_t choice = in.byte();
    obd->locale = kLocales[choice % 3];
    const int formula = choice / 3 - 1;
    obd->reply = in.rest();
    obd->primaryEcu = ecuChoice & 0x80 ? ObdDiscovery::SzukajEcu(obd->reply, obd->protocol).primary : ecuChoice;

    int shown = obd->WyswietlPid();
    for (int first = 0; first < ObdPidCatalogue::kCount; first += 32) obd->PIDsupported(first);

    // One formula of the catalogue, chosen by the input, over the value at the reply's start.
    const uint32_t value = obd->TekstNaInt(0, 4);
    shown += static_cast<int>(ObdPidCatalogue::ValueText(formula, value, value >> 24, 4, obd->locale).size());
    shown += static_cast<int>(ObdPidCatalogue::ObdStandardName(value).size());
    return shown < 0;
}
