#include "sim/controller/EngineModel.h"

#include <algorithm>
#include <cmath>

namespace {
// The idle correction that makes gas match petrol on this simulated installation.
constexpr int kMatchingIdleCorrection = 146;
// How much the petrol computer changes its time (4-us units) per unit of idle correction that is off.
constexpr double kTrimPerUnit = 7.5;
constexpr double kWarmReducer = 35;
constexpr int kIdleRpm = 820;
constexpr int kIdlePetrol = 750;       // 3.0 ms
constexpr int kFullLoadPetrol = 2400;  // 9.6 ms
// Fuel-switch causes the controller reports with marker 0xF0.
constexpr int kCauseManual = 1;
constexpr int kCauseRpmLoss = 3;
constexpr int kCauseMixLowPressure = 32;
}  // namespace

int EngineModel::matchingIdleCorrection() { return kMatchingIdleCorrection; }

void EngineModel::followDriveCycle()
{
    // 60 s of town driving and idling, 0.1 s per step.
    const int t = stepCount_ % 600;
    if (t < 100) load_ = 0;
    else if (t < 200) load_ = (t - 100) / 100.0 * 0.7;
    else if (t < 350) load_ = 0.7 - (t - 200) / 150.0 * 0.4;
    else if (t < 450) load_ = 0.3 + (t - 350) / 100.0 * 0.6;
    else load_ = std::max(0.0, 0.9 - (t - 450) / 50.0);
}

int EngineModel::gasPressure() const
{
    if (!running_) return 0;
    const int nominal = 118 + static_cast<int>(engineLoad() * 20);
    return lowPressure_ ? 45 : nominal;
}

int EngineModel::noise(int amplitude)
{
    seed_ = seed_ * 1103515245u + 12345u;
    return static_cast<int>((seed_ >> 16) % static_cast<uint32_t>(2 * amplitude + 1)) - amplitude;
}

bool EngineModel::onGas(int cylinder) const { return (fuel_ == Gas || fuel_ == Mix) && (enabled_ >> cylinder & 1); }

int EngineModel::takeSwitchCause()
{
    const int c = pendingCause_;
    pendingCause_ = 0;
    return c;
}

void EngineModel::automaticFuelChange()
{
    // A fuel chosen by command is kept: the warm-up switch to gas no longer happens by itself.
    autoSwitchDone_ = true;
    if (fuel_ == Petrol) {
        fuel_ = reducerTemp_ >= kWarmReducer ? Switching : Waiting;
        switchingSteps_ = 0;
    } else {
        fuel_ = Petrol;
        pendingCause_ = kCauseManual;
    }
}

void EngineModel::switchToPetrol(int cause)
{
    fuel_ = Petrol;
    pendingCause_ = cause;
}

void EngineModel::quickFuelChange()
{
    autoSwitchDone_ = true;
    if (fuel_ == Petrol) {
        fuel_ = Gas;
    } else {
        fuel_ = Petrol;
        pendingCause_ = kCauseManual;
    }
}

void EngineModel::step()
{
    ++stepCount_;
    if (!running_) {
        rpm_ = 0;
        if (fuel_ != Petrol) {
            fuel_ = Petrol;
            pendingCause_ = kCauseRpmLoss;
        }
        return;
    }
    if (driveCycle_) followDriveCycle();
    const double load = engineLoad();
    rpm_ = kIdleRpm + static_cast<int>(load * 2800) + noise(15);
    basePetrol_ = kIdlePetrol + static_cast<int>(load * (kFullLoadPetrol - kIdlePetrol)) + noise(3);
    reducerTemp_ = std::min(78.0, reducerTemp_ + reducerWarming_);
    gasTemp_ = std::min(34.0, gasTemp_ + 0.1);

    if (fuel_ == Waiting && reducerTemp_ >= kWarmReducer) fuel_ = Switching;
    if (fuel_ == Switching && ++switchingSteps_ >= 8) fuel_ = Gas;
    // The controller's own condition: once warm after the start, it goes over to gas by itself.
    if (!autoSwitchDone_ && !calibrating_ && fuel_ == Petrol && reducerTemp_ >= 60) {
        autoSwitchDone_ = true;
        fuel_ = Switching;
        switchingSteps_ = 0;
    }

    if (fuel_ == Gas && lowPressure_) {
        fuel_ = Mix;
        pendingCause_ = kCauseMixLowPressure;
    } else if (fuel_ == Mix && !lowPressure_) {
        fuel_ = Gas;
    }

    // On gas the petrol computer sees the mixture that the idle correction gives and corrects
    // its petrol time towards it, with a short lag.
    int onGasCount = 0;
    for (int c = 0; c < injectors_; ++c) onGasCount += onGas(c) ? 1 : 0;
    const double share = injectors_ > 0 ? double(onGasCount) / injectors_ : 0;
    const double bank = (idle1_ + idle2_) / 2.0;
    const double target = share * kTrimPerUnit * (kMatchingIdleCorrection - bank);
    ecuTrim_ += (target - ecuTrim_) * 0.5;
}

int EngineModel::petrolTime(int cylinder) const
{
    if (!running_ || cylinder >= injectors_) return 0;
    return std::clamp(static_cast<int>(std::lround(basePetrol_ + ecuTrim_)) + (cylinder % 2), 0, 0xFFFF);
}

uint8_t EngineModel::pulsingInputs() const
{
    const int n = std::clamp(injectors_, 0, 8);
    if (!running_ || rpm_ <= 0 || n == 0) return 0;
    // One step is far longer than an engine cycle; each frame shows the pulse seen last, and the
    // cylinders take their turn from one frame to the next.
    switch (injection_) {
        case FullGroup: return static_cast<uint8_t>((1u << n) - 1);
        case SemiSequential: {
            const int half = std::max(n / 2, 1);
            const int c = stepCount_ % half;
            return static_cast<uint8_t>((1u << c) | (1u << std::min(c + half, n - 1)));
        }
        case Sequential: break;
    }
    return static_cast<uint8_t>(1u << (stepCount_ % n));
}

void EngineModel::fillLiveFrame(uint8_t* f) const
{
    auto put16 = [&](int at, int v) {
        f[at] = static_cast<uint8_t>(v & 0xFF);
        f[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    };
    const bool turning = running_ && rpm_ > 0;
    f[10] = static_cast<uint8_t>(fuel_);
    f[11] = static_cast<uint8_t>(0x01 | (turning ? 0x02 : 0));
    f[12] = 0;
    // Switch LEDs: four level LEDs and the fuel LED (green on gas, red on petrol).
    f[13] = 0x3C | 0x02;
    f[14] = fuel_ == Gas ? 0x02 : 0x01;
    f[15] = static_cast<uint8_t>(std::clamp(rpm_ / 500, 0, 15));
    f[16] = static_cast<uint8_t>(std::clamp(3 + static_cast<int>(engineLoad() * 12), 0, 15));
    put16(17, rpm_ / 10);
    f[19] = static_cast<uint8_t>(std::clamp(petrolTime(0) * 4 / 100, 0, 255));
    f[21] = pulsingInputs();
    f[22] = enabled_;
    f[31] = 100;
    f[33] = 100;
    f[35] = 128;
    f[36] = 128;
    f[30] = 128;
    f[37] = 128;
    f[40] = static_cast<uint8_t>(std::lround(reducerTemp_) + 128);
    f[42] = static_cast<uint8_t>(std::lround(gasTemp_) + 128);
    const int manifold = running_ ? 34 + static_cast<int>(engineLoad() * 60) : 100;  // 0.01 bar
    put16(44, manifold);
    put16(46, manifold + gasPressure());  // absolute gas pressure
    put16(48, gasPressure());
    f[50] = 120;                        // level sensor, 2.4 V
    put16(52, running_ ? 2790 : 2480);  // supply, 13.95 V / 12.4 V
    put16(54, 273 + 41);                // controller temperature
    const int lambda = 20 + (stepCount_ * 37 % 140);
    put16(56, lambda);
    put16(58, 160 - lambda);
    for (int c = 0; c < 8; ++c) {
        const int petrol = petrolTime(c);
        put16(60 + 4 * c, petrol);
        put16(62 + 4 * c, onGas(c) ? petrol * 115 / 100 : 0);
    }
}
