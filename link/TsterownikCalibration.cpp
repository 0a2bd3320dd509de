// Autocalibration at idle, and the computations on settings and multipliers that go with it.
#include <algorithm>

#include "base/OwnTexts.h"
#include "link/Tsterownik.h"

namespace {

// The log colour of a phase started over.
constexpr TColor kRestartColour = Rgb(255, 0, 0);
constexpr int kFinished = 254;
constexpr int kAborted = 255;
enum Report { kStarted = 1, kProgress = 2, kDone = 3, kAbortedReport = 4, kStopped = 5 };

constexpr uint8_t kCylinderMasks[8] = {1, 3, 7, 15, 31, 63, 127, 255};
// Live replies a controller may stay settled on the wrong fuel, with no change of ours pending,
// before the change is asked for again.
constexpr int kFuelChangeRetry = 50;

uint8_t clampByte(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

void TSterownik::calibrationReport(int code, int value) { zdarzenie(kEventCalibration, code, value, 0); }

void TSterownik::calibrationRestart(int reason, int value)
{
    if (OnTekst) log(QStringLiteral("  ") + calibrationRestartText(reason, value), kRestartColour);
    zdarzenie(kEventCalibrationRestarted, reason, value, 0);
}

QString TSterownik::calibrationRestartText(int reason, int value)
{
    switch (reason) {
        case kRestartNoPetrol: return TextById(OwnText::CalibrationRestartNoPetrol);
        case kRestartLeftPetrol: return TextById(OwnText::CalibrationRestartLeftPetrol);
        case kRestartGasTimeOff:
            // The difference in 0.05 ms units, shown in ms with a sign.
            return TextById(OwnText::CalibrationRestartGasTime)
                .arg((value > 0 ? QStringLiteral("+") : QString()) + QString::number(value * 0.05, 'f', 2));
        default: return QString();
    }
}

bool TSterownik::StartStopKalibracji()
{
    kal = Calibration{};
    if (liveRequestBits_ & kLiveRequestCalibration) {
        liveRequestBits_ &= ~kLiveRequestCalibration;
        calibrationReport(kStopped, 0);
        return false;
    }
    liveRequestBits_ |= kLiveRequestCalibration;
    calibrationReport(kStarted, 0);
    return true;
}

void TSterownik::ObliczKorekteOdniesienia()
{
    uint8_t* s = mem.settingsBlock();
    const int t = s[85];
    int p = s[86];
    if (s[10] == 0) p += 100;
    else if (s[10] == 1) p += 200;
    p = std::min(p, 512);
    const double c = ReferenceTables::CzytajKorOdCis(p) / 128.0 * ReferenceTables::CzytajKorOdTempGazu(t) / 128.0;
    s[94] = c == 0 ? 161 : static_cast<uint8_t>(std::min(255.0, 128.0 / c));
}

void TSterownik::DodajAdaptacje()
{
    uint8_t* s = mem.settingsBlock();
    auto& a = mem.identity;
    auto shiftBank = [](uint8_t* bank, int delta) {
        for (int i = 0; i < MemoryImage::kRegionSize; ++i)
            bank[i] = static_cast<uint8_t>(std::clamp(bank[i] + delta, 1, 255));
    };
    s[90] = clampByte(s[90] + a[66] - 128);
    a[66] = 128;
    shiftBank(mem.block(MemoryImage::Multiplier1), a[67] - 128);
    a[67] = 128;
    s[92] = clampByte(s[92] + a[68] - 128);
    a[68] = 128;
    shiftBank(mem.block(MemoryImage::Multiplier2), a[69] - 128);
    a[69] = 128;
    ZapiszDoSterownika(7);
    commands_[CmdFactorySettings] = 1;
}

void TSterownik::WyliczMnoznik(int mode, int low, int high)
{
    uint8_t* s = mem.settingsBlock();
    uint8_t* table = mem.block(MemoryImage::Multiplier1);
    const uint8_t* slots = s + MemoryImage::kNodesBank1;
    if (mode == 2) {
        std::copy(slots + 1, slots + MemoryImage::kNodeSlots, s + MemoryImage::kNodesBank2 + 1);
        std::copy(table, table + MemoryImage::kRegionSize, mem.block(MemoryImage::Multiplier2));
    }
    int prev = 0;
    for (int k = 1; k < MemoryImage::kNodeSlots; ++k) {
        const int xk = slots[k];
        if (xk == 0) continue;
        const int xp = slots[prev];
        if (xk > xp) {
            const int vp = table[xp];
            const int vk = table[xk];
            // The whole value on the line is truncated, not only its slope term: on a falling
            // segment truncating the term alone would give one step too much.
            const int run = xk - xp;
            for (int j = xp; j < xk; ++j) {
                const int v = (vp * run - (j - xp) * (vp - vk)) / run;
                table[j] = static_cast<uint8_t>(std::clamp(v, low, high));
            }
        }
        prev = k;
    }
    const int top = mem.timeAxisMax;
    for (int j = top + 1; j < MemoryImage::kRegionSize; ++j) table[j] = table[top];
}

void TSterownik::EtapyKalibracji()
{
    const uint8_t* f = rxBuffer;
    uint8_t* s = mem.settingsBlock();
    Calibration& k = kal;
    const int rpm = f[17] | (f[18] << 8);
    const int workState = f[10];
    const bool onPetrol = workState == 0;
    const bool onGas = workState == 6;
    const int n = std::clamp<int>(injectorCount, 0, 8);

    k.noRpmCount = rpm == 0 ? k.noRpmCount + 1 : 0;
    if (k.noRpmCount > 10) k.state = kAborted;

    int sum = 0, used = 0;
    for (int i = 0; i < n; ++i) {
        const int time = f[60 + 4 * i] | (f[61 + 4 * i] << 8);
        if (time) {
            sum += time;
            ++used;
        }
    }
    int t = 0;
    if (used) {
        const int average = sum / used;
        // 4-microsecond units to 0.05 ms units, rounded.
        int b = 2 * average / 25;
        if (average - 25 * b / 2 > 6) ++b;
        if (k.timeFilter == 0 && b != 0) k.timeFilter = 16 * b;
        t = std::min(k.timeFilter / 16, 255);
        k.timeFilter = k.timeFilter - t + b;
    }
    k.badTimeCount = (t == 0 || t > 200) ? k.badTimeCount + 1 : 0;
    if (k.badTimeCount > 50) k.state = kAborted;

    const int pressureByte = f[48];
    if (k.pressureFilter == 0 && pressureByte != 0) k.pressureFilter = 16 * pressureByte;
    const int p = std::min(k.pressureFilter / 16, 255);
    k.pressureFilter = k.pressureFilter - p + pressureByte;

    // The automatic fuel change toggles between petrol and gas. The controller also changes over
    // by itself (to gas once warm, to petrol on its own faults), so the change is asked for only
    // when this reply shows the other fuel; asking blindly would undo a change already under way.
    auto autoFuelChange = [&] { commands_[CmdAutoFuelChange] = 1; };
    // While waiting for a fuel: a controller settled on the other one, with no change of ours
    // pending, is asked again after a while (our change crossed one of its own).
    auto waitForFuel = [&](bool gas) {
        // Waiting for a warm reducer and switching count as on the way to gas.
        const bool settledOnOther = gas ? onPetrol : !onPetrol;
        if (!settledOnOther || commands_[CmdAutoFuelChange]) {
            k.counter = 0;
        } else if (++k.counter >= kFuelChangeRetry) {
            autoFuelChange();
            k.counter = 0;
        }
    };
    auto switchInjectors = [&](uint8_t mask) {
        enabledInjectors_ = mask;
        commands_[CmdInjectorSwitch] = 1;
    };
    auto requestSettingsWrite = [&] { ZapiszDoSterownika(1); };
    auto setIdleCorrection = [&](int value) {
        s[90] = s[92] = clampByte(value);
        requestSettingsWrite();
    };

    switch (k.state) {
        case 0:
            if (!onPetrol) autoFuelChange();
            s[89] = 60;
            s[90] = 128;
            s[92] = 128;
            s[94] = 181;
            requestSettingsWrite();
            k.counter = 0;
            k.progress = 0;
            k.state = 1;
            break;
        case 1:
            if (onPetrol) {
                k.counter = 0;
                k.state = (s[82] & 1) ? 16 : 80;
            } else if (++k.counter >= 256) {
                k.state = 0;
                calibrationRestart(kRestartNoPetrol, 0);
            }
            break;
        case 16:
        case 80:
        case 144:
            k.progress = k.state == 144 ? 512 : 0;
            if (++k.counter > 10) {
                if (!onPetrol) autoFuelChange();
                k.savedTime = t;
                k.timeFilter = 0;
                k.counter = 0;
                ++k.state;
            }
            break;
        case 17:
        case 81:
        case 145:
            if (onPetrol) {
                k.counter = 0;
                ++k.state;
            } else if (++k.counter >= 256) {
                --k.state;
                calibrationRestart(kRestartNoPetrol, 0);
            }
            break;
        case 18:
        case 82:
        case 146:
            if (!onPetrol) {
                k.state -= 2;
                calibrationRestart(kRestartLeftPetrol, 0);
                return;
            }
            s[83] = static_cast<uint8_t>(t);
            // A settled petrol time counts faster.
            k.counter += (static_cast<uint8_t>(t - k.savedTime) < 10 && t < 120) ? 5 : 1;
            k.progress = k.counter + (k.state == 146 ? 512 : 0);
            if (k.counter >= 256) {
                k.state = k.state == 18 ? 32 : k.state == 82 ? 96 : 160;
                k.counter = 0;
                k.cylinder = 0;
            }
            break;
        case 32:
            switchInjectors(kCylinderMasks[std::clamp(k.cylinder, 0, 7)]);
            k.counter = 0;
            k.state = 33;
            break;
        case 96:
        case 160: {
            const uint8_t mask = static_cast<uint8_t>(~s[31]);
            if (mask != enabledInjectors_) switchInjectors(mask);
            k.counter = 0;
            ++k.state;
            break;
        }
        case 33:
        case 97:
        case 161:
            if (++k.counter > 10) {
                if (onPetrol) autoFuelChange();  // over to gas, unless it is going there already
                k.counter = 0;
                ++k.state;
            }
            break;
        case 34:
        case 98:
        case 162:
            if (onGas) {
                k.timeFilter = 0;
                k.counter = 0;
                k.state = k.state == 34 ? 48 : k.state == 98 ? 112 : 176;
            } else {
                waitForFuel(true);
            }
            break;
        case 48:
        case 112:
        case 176: {
            s[85] = f[42];
            s[86] = static_cast<uint8_t>(p);
            s[87] = f[40];
            s[88] = f[44];
            const uint8_t before = s[94];
            ObliczKorekteOdniesienia();
            if (s[94] != before) requestSettingsWrite();
            const int d = s[83] - t;
            if (d > 20 || d < -20) {
                setIdleCorrection(s[90] - d);
                k.state -= 32;
                calibrationRestart(kRestartGasTimeOff, -d);
                return;
            }
            if (k.counter % 16 == 0) {
                if (d > 4 || d < -4) setIdleCorrection(s[90] - d / 2);
                else if (d >= 1 && d <= 4 && s[90] > 0) setIdleCorrection(s[90] - 1);
                else if (d >= -4 && d <= -1 && s[90] < 255) setIdleCorrection(s[90] + 1);
            }
            k.counter += (d >= -1 && d <= 1) ? 5 : 1;
            if (k.cylinder >= 2) ++k.counter;
            if (k.state == 48) k.progress = (k.counter / 2) / std::max(n, 1) + 256 * k.cylinder / std::max(n, 1) + 256;
            else if (k.state == 112) k.progress = k.counter / 2 + 256;
            else k.progress = k.counter / 2 + 768;
            if (k.counter >= 512) {
                k.state = k.state == 48 ? 64 : k.state == 112 ? 128 : 192;
                k.counter = 0;
            }
            break;
        }
        case 64:
            if (++k.cylinder < n) {
                switchInjectors(kCylinderMasks[std::clamp(k.cylinder, 0, 7)]);
                k.state = 48;
                break;
            }
            [[fallthrough]];
        case 128:
        case 192:
            if (!onPetrol) autoFuelChange();
            k.state = k.state == 64 ? 65 : k.state + 1;
            break;
        case 65:
        case 129:
        case 193:
            if (onPetrol) {
                k.counter = 0;
                k.state = k.state == 193 ? kFinished : 144;
            } else {
                waitForFuel(false);
            }
            break;
        case kFinished:
            liveRequestBits_ &= ~kLiveRequestCalibration;
            calibrationReport(kDone, 0);
            calibrationReport(kProgress, k.progress);
            return;
        case kAborted:
            liveRequestBits_ &= ~kLiveRequestCalibration;
            calibrationReport(kAbortedReport, 0);
            calibrationReport(kProgress, k.progress);
            return;
        default: break;
    }
    calibrationReport(kProgress, k.progress);
}
