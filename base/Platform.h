#pragma once

#include <QtCore/QString>

#include <array>
#include <cstdint>
#include <memory>

class QSettings;

// The few things the program asks of the operating system, kept in one place so that the Windows
// and Linux ways sit side by side. No widgets: the command-line companion uses them too.
namespace Platform {

// Number that identifies this PC in the controller's change history: the serial number of volume
// C: on Windows, the first eight hex digits of /etc/machine-id on Linux; 0 when unreadable.
uint32_t MachineIdentity();
// The same from the text of a machine-id file (exposed for tests).
uint32_t MachineIdentityFromText(const QByteArray& text);

// This PC's identity for the controller's change history: the machine number and today's date
// (year - 2000, month, day).
std::array<uint32_t, 4> WorkshopIdentity();

// The user's documents folder, empty when there is none.
QString DocumentsFolder();

// The per-user preference store "ZorUDU" (registry key Software\ZorUDU on Windows).
std::unique_ptr<QSettings> OpenPreferences();

// Opens `folder` in a new file-manager window; failures are the file manager's to report.
void OpenFolder(const QString& folder);

}  // namespace Platform
