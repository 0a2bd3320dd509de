#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

class ControllerSim;
class ElmCar;

// One car behind both plugs: the engine, its own computer with its fuel trims, and the gas
// installation the controller runs, so that the controller's maps and the adapter's trims tell the
// same story. Simple and deterministic:
// - a drive cycle that holds each RPM/load cell of a grid for three seconds (every cell once a lap);
//   the car's computer has a base petrol time per cell, in whole tenths of a millisecond;
// - the car's computer corrects the mixture with a short-term trim (within a second) and a long-term
//   trim per RPM/load region that takes the short-term one over slowly, each within +-25 %;
// - on petrol the base time is right; on gas the gas delivered relative to the need is the
//   programmed multiplier (bank 1 at the petrol time the controller sees, times the RPM correction
//   of the cell) over the needed one, and the trims answer that by changing the petrol time;
// - the needed multiplier is the one programmed when the car was made, times 1 + the installation's
//   multiplier error at the base petrol time (linear between its points, flat beyond);
// - the controller learns the petrol and gas maps per cell (from the second half of each hold, when
//   the trims have settled) and, once the PC has sent it fuel trims, the OBD correction maps of bank 1;
//   a write of the multiplier is felt at the next step.
// The controller warms up on petrol for the first lap and goes over to gas by itself after it.
// While the PC calibrates (live requests with the calibration bit) the car idles steadily.
class CarModel {
public:
    struct ErrorPoint {
        double timeMs = 0;
        double percent = 0;
    };
    // "T:P[,T:P...]" (e.g. "3:+12,8:-6,14:+15"): false with `error` set for anything else.
    static bool parseErrors(const QString& text, std::vector<ErrorPoint>& points, QString& error);

    // Drives `controller`'s live data and memory, and `elm`'s PIDs when given.
    CarModel(ControllerSim& controller, ElmCar* elm);
    ~CarModel();
    CarModel(const CarModel&) = delete;
    CarModel& operator=(const CarModel&) = delete;

    void setMultiplierError(std::vector<ErrorPoint> points) { errors_ = std::move(points); }
    // Steps of 0.1 s each live request advances (1..10000).
    void setTimeScale(int steps);
    int timeScale() const { return timeScale_; }

    // The installation's error at base petrol time t (ms), percent.
    double errorAt(double timeMs) const;

    // One step of 0.1 s.
    void step();

    static constexpr int kHoldSteps = 30;
    // The RPM cell the car idles in while the PC calibrates (its lap goes on afterwards).
    static constexpr int kIdleRpmCell = 1;
    // The cells of one lap, in driving order, and the steps it takes.
    const std::vector<std::pair<int, int>>& lap() const { return lap_; }
    int lapSteps() const { return static_cast<int>(lap_.size()) * kHoldSteps; }

    // The readings now.
    int rpmCell() const;
    int loadCell() const;
    int rpm() const;
    int manifold() const;       // 0.01 bar
    double basePetrol() const;  // 0.1 ms
    double seenPetrol() const;  // 0.1 ms: what the car's computer injects, trims included
    double shortTrim() const { return stft_; }
    double longTrim() const;
    bool onGas() const;
    double gasTime() const;  // 0.1 ms, 0 on petrol
    // Gas delivered / needed on gas, petrol delivered / needed on petrol (1 = right).
    double mixture() const;

    int steps() const { return steps_; }

private:
    void fill(uint8_t* frame) const;
    bool record(uint8_t* frame);
    bool pid(int pid, QByteArray& data) const;
    double programmedAt(double t) const;
    double correction() const;
    void learn();

    ControllerSim& controller_;
    ElmCar* elm_;
    std::vector<ErrorPoint> errors_;
    std::vector<std::pair<int, int>> lap_;
    std::array<uint8_t, 256> made_{};  // multiplier bank 1 when the car was made
    int timeScale_ = 1;
    int steps_ = 0;
    int sameFuelSteps_ = 0;  // steps since the fuel last changed
    double stft_ = 0;
    std::array<double, 16> ltft_{};  // per region: 4 RPM x 4 load
    std::array<double, 256> learnedPetrol_{};
    std::array<double, 256> learnedGas_{};
    // Cells whose learned byte changed and is not yet reported: 6 maps x 256 cells.
    std::array<bool, 6 * 256> dirty_{};
    int nextReport_ = 0;
};
