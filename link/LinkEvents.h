#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>

#include <cstdint>
#include <functional>

// An RGB colour of a log line: 0xRRGGBB, as QRgb without alpha.
using TColor = uint32_t;
constexpr TColor Rgb(int r, int g, int b)
{
    return (static_cast<TColor>(r) << 16) | (static_cast<TColor>(g) << 8) | static_cast<TColor>(b);
}

// The two events through which both links report: a log line for the transmission log, and a
// link event (kind, code, value, length). An unassigned handler is simply not called.
using TTekstEvent = std::function<void(QObject* sender, const QString& text, TColor colour)>;
using TZdarzenieEvent = std::function<void(int kind, int code, int value, int length)>;

// Kinds of OnZdarzenie raised by the controller link.
enum LinkEventKind {
    kEventFrameReceived = 0,
    kEventFrameSent = 1,
    kEventCalibration = 2,
    kEventLinkStarted = 3,
    kEventFileLoaded = 4,
    kEventRegionUnwritable = 5,  // code: the region's mask bit; its write read back different, every time
    // code: regions edited while no controller answered, now read from the controller just
    // identified; value 1 when it is another controller than the one before. The fitter is asked
    // to send them or take the controller's values (TSterownik::settleUnsentEdits).
    kEventUnsentEdits = 6,
    // code: why the calibration under way went back to an earlier phase (CalibrationRestart);
    // value: for kRestartGasTimeOff, the petrol time on gas minus the one on petrol, 0.05 ms units.
    kEventCalibrationRestarted = 7,
};

// Why a calibration starts a phase over.
enum CalibrationRestart {
    kRestartNoPetrol = 1,    // the controller did not go over to petrol (256 replies)
    kRestartLeftPetrol = 2,  // it left petrol while the petrol time was being measured
    kRestartGasTimeOff = 3,  // on gas the petrol time was more than 1 ms off: idle corrections changed
};

// The OBD reader's event: kind 100 with code 100 carries the adapter's state in `length`.
constexpr int kEventObd = 100;
constexpr int kObdAdapterState = 100;
