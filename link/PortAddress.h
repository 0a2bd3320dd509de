#pragma once

#include <QtCore/QString>

#include <optional>

// The network address of a Wi-Fi adapter, "HOST:PORT" (192.168.0.10:35000, elm.local:35000,
// [fe80::1]:35000), told apart from a serial device (/dev/ttyUSB0, /dev/rfcomm0, COM3, \\.\COM12,
// a port number). Wherever an ELM port is chosen, this is the one rule that decides which it is.
namespace PortAddress {

// The address Wi-Fi ELM327 adapters commonly come with: they are their own access point.
inline constexpr char kDefault[] = "192.168.0.10:35000";

struct Address {
    QString host;  // an IPv6 host without its brackets
    quint16 port = 0;
};

// The address `text` names (blanks around it ignored), or nothing when it names a device or is no
// valid address: a path (starting with / or \) and a name without ":PORT" are devices, the host is
// an IPv4 address, a bracketed IPv6 address or a host name, the port 1..65535.
std::optional<Address> parse(const QString& text);
inline bool isAddress(const QString& text) { return parse(text).has_value(); }

// "HOST:PORT", with an IPv6 host in brackets.
QString text(const Address& address);

}  // namespace PortAddress
