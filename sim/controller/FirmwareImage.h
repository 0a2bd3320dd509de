#pragma once

#include <QtCore/QByteArray>

#include "sim/controller/ControllerIdentity.h"

// The simulated controller's firmware images. The PC passes the blocks through untouched; the
// controller finds its version in a descriptor at the start of block 0: "KVFW", the major version,
// the build number, and the firmware date (year - 2000, month, day).
namespace FirmwareImage {

constexpr int kBlocks = 224;
constexpr int kBlockSize = 256;

// A whole image file for the hardware of `identity`, reporting `major`.`build` of the given date.
QByteArray make(const ControllerIdentity& identity, int major, int build, const int date[3]);

// Takes the version and date from received blocks into `identity`; false when the descriptor is
// missing (the identity is left as it was).
bool applyVersion(const QByteArray& blocks, ControllerIdentity& identity);

}  // namespace FirmwareImage
