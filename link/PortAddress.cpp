#include "link/PortAddress.h"

#include <QtCore/QRegularExpression>
#include <QtNetwork/QHostAddress>

namespace PortAddress {

namespace {

bool hostNameValid(const QString& host)
{
    // Labels of letters, digits and inner hyphens, joined by dots.
    static const QRegularExpression label(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?$"));
    if (host.size() > 253) return false;
    for (const QString& part : host.split(QLatin1Char('.'))) {
        if (!label.match(part).hasMatch()) return false;
    }
    return true;
}

bool looksNumeric(const QString& host)
{
    for (const QChar c : host)
        if (!c.isDigit() && c != QLatin1Char('.')) return false;
    return true;
}

}  // namespace

std::optional<Address> parse(const QString& textIn)
{
    const QString text = textIn.trimmed();
    if (text.isEmpty() || text.startsWith(QLatin1Char('/')) || text.startsWith(QLatin1Char('\\'))) return {};
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) return {};
    const QString portText = text.mid(colon + 1);
    if (portText.isEmpty() || portText.size() > 5) return {};
    for (const QChar c : portText)
        if (!c.isDigit()) return {};
    const int port = portText.toInt();
    if (port < 1 || port > 65535) return {};

    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('['))) {
        if (!host.endsWith(QLatin1Char(']'))) return {};
        host = host.mid(1, host.size() - 2);
        if (QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol) return {};
    } else if (looksNumeric(host)) {
        // 192.168.0.10, never a host name: each of the four parts must be a byte.
        const QStringList parts = host.split(QLatin1Char('.'));
        if (parts.size() != 4 || QHostAddress(host).protocol() != QAbstractSocket::IPv4Protocol) return {};
        for (const QString& p : parts)
            if (p.isEmpty() || p.size() > 3) return {};
    } else if (!hostNameValid(host)) {
        return {};
    }
    return Address{host, static_cast<quint16>(port)};
}

QString text(const Address& address)
{
    const QString host =
        address.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + address.host + QLatin1Char(']') : address.host;
    return host + QLatin1Char(':') + QString::number(address.port);
}

}  // namespace PortAddress
