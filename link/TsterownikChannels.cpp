// The live channels as the link shows them: the channel table adapted to the connected controller,
// readings as text and the work state.
#include <QtCore/QLocale>

#include "base/NumberLocale.h"
#include "base/TextTable.h"
#include "link/ChannelDecoder.h"
#include "link/Tsterownik.h"

void TSterownik::DodajWykres(int id, int unit, int type, int offset, double scale, int decimals, TColor colour,
                             double gain, int flags)
{
    channels_.add(TWykres{id, unit, type, offset, scale, decimals, colour, gain, flags});
}

void TSterownik::UtworzWykresy() { channels_.build(); }

void TSterownik::ListaRpmLamMafAfr() { channels_.adaptToLoadSignal(mem); }

void TSterownik::ListaParamOdPlytki()
{
    injectorCount = mem.identity[59];
    for (int i = 66; i <= 69; ++i)
        if (mem.identity[i] < 78 || mem.identity[i] > 178) mem.identity[i] = 128;
    twoLambdas = mem.identity[42] < 3 ? 0 : 1;
    channels_.adaptToController(mem);
}

int TSterownik::PodajIleParamBiez(int mask) const { return channels_.count(mask); }

int TSterownik::PodajPozycje(int mask, int n) const { return channels_.position(mask, n); }

QString TSterownik::StrParamBiez(int mask, int n) const { return StrParamBiez(mask, n, lastLive_); }

QString TSterownik::StrParamBiez(int mask, int n, const LiveFrame& frame) const
{
    const int c = PodajPozycje(mask, n);
    if (c < 0 || c >= channels().size()) return {};
    return ChannelDecoder::shown(ChannelDecoder::channelOf(channels()[c]), frame, mem.settings.data()).text;
}

int TSterownik::StanPracyTextId(int state, int mode) const
{
    if (!(state & 0x100)) return 1242;
    if (!(state & 0x200)) return 1243;
    switch (state & 0xFF) {
        case 0: return mode == 1 ? 1245 : 1244;
        case 2: return 1246;
        case 4:
        case 5: return 1247;
        case 6: return mode == 1 ? 1250 : 1249;
        case 7: return 1248;
        default: return 0;
    }
}

QString TSterownik::StrStanPracy(int state, int mode) const { return TextById(StanPracyTextId(state, mode)); }

TColor TSterownik::KolorStanuPracy(int state) const
{
    if (!(state & 0x100)) return Rgb(128, 128, 128);
    if (!(state & 0x200)) return Rgb(192, 192, 192);
    switch (state & 0xFF) {
        case 0: return Rgb(255, 0, 0);
        case 2: return Rgb(255, 128, 64);
        case 4:
        case 5: return Rgb(234, 255, 233);
        case 6: return Rgb(0, 160, 0);
        case 7: return Rgb(0, 128, 255);
        default: return Rgb(0, 0, 0);
    }
}

void TSterownik::setChannelShown(int channel, int view, bool shown) { channels_.setShown(channel, view, shown); }

void TSterownik::toggleChannelShown(int channel, int view) { channels_.toggleShown(channel, view); }

void TSterownik::setChannelColour(int channel, TColor colour) { channels_.setColour(channel, colour); }
