#pragma once

#include <QtCore/QByteArray>

#include <cstdint>

// A car at idle and on the road as the controller sees it: engine speed, load, pressures,
// temperatures, the petrol computer's injection times and the controller's own fuel switching.
// Time advances by one step (0.1 s) per live-data request, so tests are repeatable.
class EngineModel {
public:
    enum Fuel { Petrol = 0, Waiting = 2, Switching = 4, Gas = 6, Mix = 7 };

    // Settings the engine reacts to: the idle corrections of banks 1 and 2 (128 = none).
    void setIdleCorrections(uint8_t bank1, uint8_t bank2)
    {
        idle1_ = bank1;
        idle2_ = bank2;
    }
    void setEnabledInjectors(uint8_t mask) { enabled_ = mask; }
    uint8_t enabledInjectors() const { return enabled_; }
    void setInjectorCount(int n) { injectors_ = n; }
    // How the petrol computer injects: one cylinder at a time, in pairs, or all at once. The
    // controller reports the petrol inputs whose pulse it sees in live-frame byte 21.
    enum Injection { Sequential = 0, SemiSequential = 1, FullGroup = 2 };
    void setInjection(Injection type) { injection_ = type; }
    Injection injection() const { return injection_; }
    // Live-frame byte 21 of this step: bit i-1 = petrol input i pulsing.
    uint8_t pulsingInputs() const;

    // Road load 0..1: engine speed, manifold pressure and injection times follow it. With the
    // drive cycle on, the load follows a repeating town-and-road profile instead.
    void setLoad(double load) { load_ = load < 0 ? 0 : load > 1 ? 1 : load; }
    void setDriveCycle(bool on) { driveCycle_ = on; }
    // The PC calibrates (its live requests carry the calibration bit): the engine idles steadily,
    // whatever the load or the drive cycle says, and the controller changes fuel only when told,
    // so that the petrol times it compares come from one steady idle.
    void setCalibrating(bool on) { calibrating_ = on; }
    bool calibrating() const { return calibrating_; }
    double load() const { return load_; }
    // Gas pressure too low for full gas operation: on gas the controller goes over to mix.
    void setLowGasPressure(bool low) { lowPressure_ = low; }

    // Degrees the reducer warms per step (0.4 by default): a car model that drives a long cycle on
    // petrol first warms it slower, so that the controller goes over to gas after that cycle.
    void setReducerWarming(double degreesPerStep) { reducerWarming_ = degreesPerStep; }

    // The idle correction (settings 90 and 92) at which gas matches petrol on this installation.
    static int matchingIdleCorrection();

    void step();
    // 0x84: to gas through the switching states, or back to petrol.
    void automaticFuelChange();
    // 0x85: at once.
    void quickFuelChange();
    // The controller's own return to petrol, reported with `cause`.
    void switchToPetrol(int cause);
    void stopEngine() { running_ = false; }
    void startEngine() { running_ = true; }
    bool running() const { return running_; }

    Fuel fuel() const { return fuel_; }
    // Fuel-switch cause of the last step (0 = none), consumed by the next live frame.
    int takeSwitchCause();

    // Writes the readings into live-frame bytes 10..91 of `frame` (at least 92 bytes).
    void fillLiveFrame(uint8_t* frame) const;

    // The petrol computer's injection time of cylinder i, in 4-microsecond units.
    int petrolTime(int cylinder) const;

    int rpm() const { return rpm_; }
    int petrolTimeUnits() const { return basePetrol_; }

private:
    int noise(int amplitude);
    bool onGas(int cylinder) const;

    void followDriveCycle();
    // The load the engine runs at: none while calibrating.
    double engineLoad() const { return calibrating_ ? 0.0 : load_; }
    int gasPressure() const;

    bool running_ = true;
    double load_ = 0;
    bool driveCycle_ = false;
    bool calibrating_ = false;
    bool lowPressure_ = false;
    Fuel fuel_ = Petrol;
    int stepCount_ = 0;
    int switchingSteps_ = 0;
    bool autoSwitchDone_ = false;
    int pendingCause_ = 0;
    int rpm_ = 820;
    int basePetrol_ = 750;     // 3.0 ms at idle, in 4-microsecond units
    double ecuTrim_ = 0;       // the petrol computer's correction while on gas, 4-us units
    double reducerTemp_ = 22;  // deg C
    double reducerWarming_ = 0.4;
    double gasTemp_ = 18;
    uint8_t idle1_ = 128, idle2_ = 128;
    uint8_t enabled_ = 0x0F;
    int injectors_ = 4;
    Injection injection_ = Sequential;
    uint32_t seed_ = 12345;
};
