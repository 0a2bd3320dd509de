#pragma once

#include <array>
#include <cstdint>

// This PC's identity for the controller's change history: a 32-bit machine number and today's
// date (year - 2000, month, day), as the link stamps them into history entries.
namespace WorkshopIdentity {

// The machine number: on Windows the serial number of drive C:, elsewhere the first eight
// hexadecimal digits of /etc/machine-id; 0 when it cannot be read.
uint32_t machineNumber();

// Machine number and today's date.
std::array<uint32_t, 4> today();

}  // namespace WorkshopIdentity
