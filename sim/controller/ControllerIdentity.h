#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QStringList>

#include <cstdint>

// What the simulated controller says about itself in its identification reply.
struct ControllerIdentity {
    int model = 2;  // 1 ECO+, 2 PRO+
    QByteArray barCode = "KV2P0042137815";
    QByteArray serialNumber = QByteArray::fromHex("4B563230323430333037303031");  // 13 bytes
    int production[3] = {24, 3, 7};                                               // year - 2000, month, day
    int firmwareDate[3] = {26, 11, 20};
    int version[3] = {2, 4, 31};  // the middle number is the injector count
    int letter = 1;               // "B"
    uint8_t hardware[3] = {0x12, 0x03, 0x41};
    int lambdaInputs = 2;     // identity byte 42: 3 or more means two inputs
    int cylinderVariant = 4;  // identity byte 43: 4 hides cylinders 5..8, 6 hides 7 and 8
    uint8_t hardwareId40 = 0x21;
    uint8_t hardwareId44 = 0x07;
    int petrolSeconds = 1234, petrolHours = 812;
    int gasSeconds = 3011, gasHours = 2417;

    int injectors() const { return version[1]; }

    // Applies "--model N", "--injectors N", "--variant N", "--lambdas N", "--bar-code TEXT",
    // "--serial HEX", "--version A.B.C"; false with `error` set on a bad option.
    bool applyOptions(QStringList& args, QString& error);

    // Identity bytes 0..79 as the reply carries them (head bytes 0..3 left for the frame).
    QByteArray bytes(int mode, const uint8_t adaptation[4]) const;
};
