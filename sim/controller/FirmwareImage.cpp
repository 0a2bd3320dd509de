#include "sim/controller/FirmwareImage.h"

namespace FirmwareImage {

QByteArray make(const ControllerIdentity& identity, int major, int build, const int date[3])
{
    QByteArray image(kBlockSize + kBlocks * kBlockSize, '\0');
    image.replace(0, 8, "img file");
    image[8] = static_cast<char>(identity.hardwareId44);
    image[18] = static_cast<char>(identity.hardwareId40);
    image[20] = static_cast<char>(identity.lambdaInputs >= 2 ? 3 : 1);
    image[21] = static_cast<char>(identity.cylinderVariant);
    char* code = image.data() + kBlockSize;
    // Something that looks like program code, different in every block.
    for (int i = 0; i < kBlocks * kBlockSize; ++i) code[i] = static_cast<char>((i * 31 + (i >> 8) * 7) & 0xFF);
    const char descriptor[] = {'K',         'V',           'F',           'W',          char(major),
                               char(build), char(date[0]), char(date[1]), char(date[2])};
    image.replace(kBlockSize, sizeof descriptor, QByteArray(descriptor, sizeof descriptor));
    return image;
}

bool applyVersion(const QByteArray& blocks, ControllerIdentity& identity)
{
    if (blocks.size() < 9 || !blocks.startsWith("KVFW")) return false;
    identity.version[0] = static_cast<uint8_t>(blocks[4]);
    identity.version[2] = static_cast<uint8_t>(blocks[5]);
    for (int i = 0; i < 3; ++i) identity.firmwareDate[i] = static_cast<uint8_t>(blocks[6 + i]);
    return true;
}

}  // namespace FirmwareImage
