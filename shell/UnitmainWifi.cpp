// The ELM menu's Wi-Fi adapter: the address asked for (the last one typed, or the address such
// adapters come with), remembered in the preferences beside the serial choice, and the port that
// the OBD tab's Connect button opens while it is chosen. The menu item is the menu bar's.
#include "base/OwnTexts.h"
#include "link/PortAddress.h"
#include "obd/Telmobd.h"
#include "shell/Unitmain.h"

void TForm1::MenuElmWifiClick()
{
    QString caption = TextById(OwnText::WifiAdapter);
    while (caption.endsWith(QLatin1Char('.'))) caption.chop(1);
    const QString initial = wifiAddress_.isEmpty() ? QString::fromLatin1(PortAddress::kDefault) : wifiAddress_;
    const QString typed = prompt->line(caption, TextById(OwnText::WifiAddressAsk), initial).trimmed();
    if (typed.isEmpty()) return;  // cancelled
    const std::optional<PortAddress::Address> address = PortAddress::parse(typed);
    if (!address) {
        prompt->message(QStringLiteral("KAVELO"), TextById(OwnText::WifiAddressBad).arg(typed), Prompt::Icon::Warning);
        return;
    }
    wifiAddress_ = PortAddress::text(*address);
    ObdPort->PortOpenAddress(wifiAddress_);
}

void TForm1::restoreElmAddress()
{
    wifiAddress_ = prefs.elmAddress;
    if (!elmAddressOverride.isEmpty()) ObdPort->address = elmAddressOverride;
    else if (elmPortOverride <= 0 && prefs.elmOverNetwork) ObdPort->address = prefs.elmAddress;
}

void TForm1::storeElmAddress()
{
    // What was given on the command line is for this run only, as a port number is.
    if (!elmAddressOverride.isEmpty() && ObdPort->address == elmAddressOverride) return;
    if (elmPortOverride > 0 && !ObdPort->overNetwork() && ObdPort->portNumber == elmPortOverride) return;
    prefs.elmOverNetwork = ObdPort->overNetwork();
    if (!wifiAddress_.isEmpty()) prefs.elmAddress = wifiAddress_;
}
