#pragma once

#include <QtCore/QString>

#include <array>
#include <cstdint>

#include "link/MemoryImage.h"

// The controller's identity as a memory image holds it (the link's, a settings file's, a
// recording's head): the one reader of the identity block's mode byte, bar code, serial number,
// model and firmware, and of the running times and change history shown with them.
class IdentityReader {
public:
    explicit IdentityReader(const MemoryImage& image) : mem_(image) {}

    // The mode byte: the controller runs its application (0) or its bootloader (1).
    bool inApplication() const { return mem_.identity[kMode] == 0; }
    bool inBootloader() const { return mem_.identity[kMode] == 1; }
    // The model byte is set: a controller has been identified into this image.
    bool modelKnown() const { return mem_.identity[kModel] != 0; }

    // "KAVELO ECO+" or "KAVELO PRO+"; empty for a model the program does not know.
    QString model() const;
    // The bar code as stored (up to 16 characters, ending at the first zero byte).
    QString barCode() const;
    // The serial number's 13 bytes, and as hexadecimal text (empty when all are zero).
    std::array<uint8_t, 13> serialBytes() const;
    QString serialText() const;
    QString productionDate() const;
    // The firmware and identity parts picked by the bits of `parts` (0x1 number, 0x2 letter,
    // 0x4 version, 0x8 date, 0x10 hardware, 0x20 bar code, 0x40 serial, 0x80 EEPROM bytes); empty
    // in the bootloader.
    QString firmware(int parts) const;
    QString injectorCount() const;
    // Running times on petrol and on gas, and the time left to the service, as "H:MM:SS".
    QString petrolRunningTime() const;
    QString gasRunningTime() const;
    QString timeToService() const;
    // One cell of the change history: column 0 the date, 1..4 the change kinds, 5 the PC's identity.
    QString historyCell(int column, int entry) const;
    // Adaptation value `index` (0..3), as the controller stores it (128 = none).
    int adaptation(int index) const
    {
        return index >= 0 && index < 4 ? mem_.identity[size_t(kAdaptation + index)] : 128;
    }

    static constexpr int kMode = 5;
    static constexpr int kBarCode = 6;
    static constexpr int kSerial = 22;
    static constexpr int kModel = 38;
    static constexpr int kAdaptation = 66;

private:
    const MemoryImage& mem_;
};

// Four bytes, most significant first, as "XXXX-XXXX" (a PC's or a history entry's identity).
QString identityNumberText(const uint8_t* bytes);
