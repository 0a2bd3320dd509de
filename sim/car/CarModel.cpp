#include "sim/car/CarModel.h"

#include <QtCore/QStringList>

#include <algorithm>
#include <cmath>

#include "sim/controller/ControllerSim.h"
#include "sim/elm/ElmCar.h"

namespace {

constexpr double kTrimLimit = 0.25;
constexpr double kShortGain = 0.35;    // per step: the short-term trim corrects within a second
constexpr double kLongShare = 0.02;    // per step: the long-term trim takes the short-term one over slowly
constexpr double kWarmUpDegrees = 38;  // from the cold start to the controller's own switch to gas
// The live-data map selectors and the region each one learns into.
constexpr int kSelectorPetrol = 0, kSelectorObdPetrol = 1, kSelectorGas = 3, kSelectorObdGas = 4;
constexpr uint8_t kRegionOfSelector[6] = {0xE0, 0xE2, 0xE4, 0xE1, 0xE3, 0xE5};

uint8_t trimByte(double fraction)
{
    return static_cast<uint8_t>(std::clamp(static_cast<int>(std::lround(128 + fraction * 128)), 1, 255));
}

}  // namespace

bool CarModel::parseErrors(const QString& text, std::vector<ErrorPoint>& points, QString& error)
{
    points.clear();
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QStringList tp = part.split(QLatin1Char(':'));
        bool okT = false, okP = false;
        const double t = tp.size() == 2 ? tp[0].toDouble(&okT) : 0;
        const double p = tp.size() == 2 ? tp[1].toDouble(&okP) : 0;
        if (!okT || !okP || t < 0 || t > 25.5 || p < -50 || p > 100 || (!points.empty() && t <= points.back().timeMs)) {
            error = QStringLiteral("--multiplier-error takes T:P[,T:P...] with times (ms) rising from 0 to 25.5 and "
                                   "percentages from -50 to +100, e.g. 3:+12,8:-6,14:+15");
            points.clear();
            return false;
        }
        points.push_back({t, p});
    }
    return true;
}

CarModel::CarModel(ControllerSim& controller, ElmCar* elm) : controller_(controller), elm_(elm)
{
    // A lap: RPM cells 2..10, each through load cells 0..14, up and down in turn.
    for (int r = 2; r <= 10; ++r)
        for (int i = 0; i <= 14; ++i) lap_.emplace_back(r, r % 2 == 0 ? i : 14 - i);
    const uint8_t* bank1 = controller_.region(0xE9);
    std::copy(bank1, bank1 + 256, made_.begin());
    controller_.engine.setReducerWarming(kWarmUpDegrees / lapSteps());
    controller_.car.step = [this] {
        for (int i = 0; i < timeScale_; ++i) step();
    };
    controller_.car.fill = [this](uint8_t* f) { fill(f); };
    controller_.car.record = [this](uint8_t* f) { return record(f); };
    if (elm_) elm_->pidSource = [this](int p, QByteArray& d) { return pid(p, d); };
}

CarModel::~CarModel()
{
    controller_.car = {};
    if (elm_) elm_->pidSource = nullptr;
}

void CarModel::setTimeScale(int steps) { timeScale_ = std::clamp(steps, 1, 10000); }

double CarModel::errorAt(double t) const
{
    if (errors_.empty()) return 0;
    if (t <= errors_.front().timeMs) return errors_.front().percent;
    for (size_t i = 1; i < errors_.size(); ++i)
        if (t <= errors_[i].timeMs) {
            const ErrorPoint& a = errors_[i - 1];
            const ErrorPoint& b = errors_[i];
            return a.percent + (b.percent - a.percent) * (t - a.timeMs) / (b.timeMs - a.timeMs);
        }
    return errors_.back().percent;
}

// While the PC calibrates the car idles (750 rpm, no load) instead of driving its lap.
int CarModel::rpmCell() const
{
    return controller_.engine.calibrating() ? kIdleRpmCell : lap_[size_t(steps_ / kHoldSteps) % lap_.size()].first;
}
int CarModel::loadCell() const
{
    return controller_.engine.calibrating() ? 0 : lap_[size_t(steps_ / kHoldSteps) % lap_.size()].second;
}
int CarModel::rpm() const { return 500 * rpmCell() + 250; }

int CarModel::manifold() const
{
    const int breakpoint = controller_.settings()[224 + loadCell()];
    return breakpoint ? breakpoint : 30 + 6 * loadCell();
}

double CarModel::basePetrol() const { return 18 + 9 * loadCell() + (rpmCell() - 2); }

double CarModel::longTrim() const { return ltft_[size_t(rpmCell() / 4 * 4 + loadCell() / 4)]; }

double CarModel::seenPetrol() const { return basePetrol() * (1 + stft_ + longTrim()); }

bool CarModel::onGas() const
{
    const auto fuel = controller_.engine.fuel();
    return controller_.engine.running() && (fuel == EngineModel::Gas || fuel == EngineModel::Mix);
}

double CarModel::programmedAt(double t) const
{
    // The controller reads its table between entries; beyond the table, its last entry.
    const uint8_t* table = controller_.region(0xE9);
    if (t >= 255) return table[255];
    const int i = std::max(0, static_cast<int>(t));
    return table[i] + (table[i + 1] - table[i]) * (t - i);
}

double CarModel::correction() const
{
    const int rpmCorrection = controller_.region(0xEB)[16 * rpmCell() + loadCell()];
    return rpmCorrection ? rpmCorrection / 100.0 : 1.0;
}

double CarModel::gasTime() const
{
    if (!onGas()) return 0;
    const double t = seenPetrol();
    return t * programmedAt(t) / 100 * correction();
}

double CarModel::mixture() const
{
    const double base = basePetrol();
    if (!onGas()) return 1 + stft_ + longTrim();
    const double made = made_[size_t(std::clamp(static_cast<int>(std::lround(base)), 0, 255))];
    const double needed = base * made / 100 * (1 + errorAt(base / 10) / 100);
    return gasTime() / needed;
}

void CarModel::step()
{
    const bool wasOnGas = onGas();
    controller_.engine.step();
    ++steps_;
    if (onGas() != wasOnGas) sameFuelSteps_ = 0;
    else ++sameFuelSteps_;
    if (!controller_.engine.running()) return;
    // The car's computer wants the total trim that makes the mixture right.
    double& ltft = ltft_[size_t(rpmCell() / 4 * 4 + loadCell() / 4)];
    const double total = stft_ + ltft;
    const double wanted = (1 + total) / mixture() - 1;
    stft_ = std::clamp(stft_ + kShortGain * (wanted - total), -kTrimLimit, kTrimLimit);
    const double taken = std::clamp(ltft + kLongShare * stft_, -kTrimLimit, kTrimLimit) - ltft;
    ltft += taken;
    stft_ -= taken;
    learn();
}

void CarModel::learn()
{
    // The second half of each hold, with the fuel unchanged for as long: the trims have settled.
    const int hold = steps_ % kHoldSteps;
    if (hold < kHoldSteps / 2 || sameFuelSteps_ < kHoldSteps / 2) return;
    const int cell = 16 * rpmCell() + loadCell();
    const bool gas = onGas();
    double& learned = (gas ? learnedGas_ : learnedPetrol_)[size_t(cell)];
    const double seen = seenPetrol();
    learned = hold == kHoldSteps / 2 || learned == 0 ? seen : learned + 0.3 * (seen - learned);
    auto store = [&](int selector, uint8_t value) {
        uint8_t* map = controller_.region(kRegionOfSelector[selector]);
        if (map[cell] == value) return;
        map[cell] = value;
        dirty_[size_t(256 * selector + cell)] = true;
    };
    store(gas ? kSelectorGas : kSelectorPetrol,
          static_cast<uint8_t>(std::clamp(static_cast<int>(std::lround(learned)), 1, 255)));
    // The OBD correction maps learn only from trims the PC has handed over.
    if (controller_.obdStatus[7] != 0) store(gas ? kSelectorObdGas : kSelectorObdPetrol, trimByte(stft_ + longTrim()));
}

bool CarModel::record(uint8_t* f)
{
    for (int i = 0; i < static_cast<int>(dirty_.size()); ++i) {
        const int at = (nextReport_ + i) % static_cast<int>(dirty_.size());
        if (!dirty_[size_t(at)]) continue;
        dirty_[size_t(at)] = false;
        nextReport_ = at + 1;
        const int selector = at / 256, cell = at % 256;
        f[6] = 0;
        f[7] = static_cast<uint8_t>(selector);
        f[8] = static_cast<uint8_t>(cell);
        f[9] = controller_.region(kRegionOfSelector[selector])[cell];
        return true;
    }
    return false;
}

void CarModel::fill(uint8_t* f) const
{
    if (!controller_.engine.running()) return;
    auto put16 = [&](int at, int v) {
        v = std::clamp(v, 0, 0xFFFF);
        f[at] = static_cast<uint8_t>(v & 0xFF);
        f[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    const double seen = seenPetrol();
    f[15] = static_cast<uint8_t>(rpmCell());
    f[16] = static_cast<uint8_t>(loadCell());
    put16(17, rpm() / 10);
    f[19] = static_cast<uint8_t>(std::clamp(static_cast<int>(std::lround(seen)), 0, 255));
    f[31] = static_cast<uint8_t>(std::clamp(static_cast<int>(std::lround(programmedAt(seen))), 0, 255));
    put16(44, manifold());
    const uint8_t enabled = controller_.engine.enabledInjectors();
    const int cylinders = std::clamp(controller_.identity.injectors(), 0, 8);
    for (int c = 0; c < 8; ++c) {
        const bool present = c < cylinders;
        put16(60 + 4 * c, present ? static_cast<int>(std::lround(seen * 25)) : 0);
        const bool gas = present && onGas() && (enabled >> c & 1);
        put16(62 + 4 * c, gas ? static_cast<int>(std::lround(gasTime() * 25)) : 0);
    }
}

bool CarModel::pid(int pid, QByteArray& d) const
{
    if (d.isEmpty()) return false;
    const bool running = controller_.engine.running();
    auto put16 = [&](int v) {
        d[0] = static_cast<char>((v >> 8) & 0xFF);
        if (d.size() > 1) d[1] = static_cast<char>(v & 0xFF);
    };
    const double mix = mixture();
    switch (pid) {
        case 0x03: d[0] = running ? 0x02 : 0x00; return true;  // closed loop
        case 0x04: d[0] = static_cast<char>(running ? loadCell() * 255 / 15 : 0); return true;
        case 0x05: d[0] = static_cast<char>(40 + 90); return true;
        case 0x06:
        case 0x08: d[0] = static_cast<char>(trimByte(stft_)); return true;
        case 0x07:
        case 0x09: d[0] = static_cast<char>(trimByte(longTrim())); return true;
        case 0x0B: d[0] = static_cast<char>(std::clamp(running ? manifold() : 100, 0, 255)); return true;
        case 0x0C: put16(running ? rpm() * 4 : 0); return true;
        case 0x14:
        case 0x15:
            // The narrow-band sensor: low when lean, high when rich.
            d[0] = static_cast<char>(mix < 0.995 ? 20 : mix > 1.005 ? 160 : 90);
            if (d.size() > 1) d[1] = static_cast<char>(trimByte(stft_));
            return true;
        default: return false;
    }
}
