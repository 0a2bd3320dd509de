#include "sim/elm/ElmAdapter.h"

QByteArray ElmAdapter::end() const { return linefeeds_ ? "\r\n>" : "\r>"; }

QByteArray ElmAdapter::receive(const QByteArray& bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        if (c == '\r') {
            QByteArray line = input_;
            input_.clear();
            if (line.isEmpty()) line = lastCommand_;  // an empty line repeats the last command
            ++commandCount;
            if (options.silentAfter >= 0 && commandCount > options.silentAfter) continue;
            if (echo_) out += line + '\r';
            QByteArray reply = command(line);
            if (linefeeds_) reply.replace("\r", "\r\n");
            out += reply + end();
            lastCommand_ = line;
        } else if (c != '\n' && input_.size() < 64) {
            input_ += c;
        }
    }
    return out;
}

QByteArray ElmAdapter::command(const QByteArray& line)
{
    QByteArray c = line.toUpper();
    c.replace(' ', "");
    if (c.startsWith("AT")) return atCommand(c.mid(2));
    return request(c);
}

QByteArray ElmAdapter::atCommand(const QByteArray& c)
{
    auto flag = [&](const char* name, bool& value) {
        const QByteArray n(name);
        if (c == n + "0") value = false;
        else if (c == n + "1") value = true;
        else return false;
        return true;
    };
    if (c == "Z" || c == "WS" || c == "D") {
        echo_ = true;
        linefeeds_ = true;
        style_ = {};
        if (c != "D") return "\r" + options.version + "\r";
        return "OK\r";
    }
    if (c == "I") return options.version + "\r";
    if (c == "RV") return options.voltage + "\r";
    if (flag("E", echo_) || flag("L", linefeeds_) || flag("H", style_.headers) || flag("S", style_.spaces))
        return "OK\r";
    if (c == "CAF0" || c == "CAF1" || c == "M0" || c == "M1" || c == "AL" || c == "NL" || c.startsWith("ST") ||
        c.startsWith("AT"))
        return "OK\r";
    if (c == "DPN") {
        // After a search that found nothing the adapter has no protocol to report.
        if (searchFailed_) return "A0\r";
        const int p = connected_ ? connected_ : setProtocol_;
        const QByteArray digit = QByteArray::number(p, 16).toUpper();
        return (foundBySearch_ || (setProtocol_ == 0 && connected_) ? "A" : "") + digit + "\r";
    }
    if (c.startsWith("SP") || c.startsWith("TP")) {
        QByteArray arg = c.mid(2);
        if (arg.startsWith('A') && arg.size() == 2) arg = arg.mid(1);
        bool ok = false;
        const int p = arg.toInt(&ok, 16);
        if (!ok || p < 0 || p > 12) return "?\r";
        setProtocol_ = p;
        tryProtocol_ = c.startsWith("TP");
        connected_ = 0;
        foundBySearch_ = false;
        searchFailed_ = false;
        return "OK\r";
    }
    return "?\r";
}

QByteArray ElmAdapter::busError(int protocol) const
{
    if (protocol >= 3 && protocol <= 5) return "BUS INIT: ...ERROR\r";
    if (protocol >= 6) return "CAN ERROR\r";
    return "NO DATA\r";
}

QByteArray ElmAdapter::request(const QByteArray& c)
{
    // Hex digits in pairs, optionally followed by one digit: how many answers to wait for.
    static const QByteArray hexDigits = "0123456789ABCDEF";
    for (const char ch : c)
        if (!hexDigits.contains(ch)) return "?\r";
    if (c.size() < 2) return "?\r";
    int limit = 0;
    QByteArray hex = c;
    if (hex.size() % 2) {
        limit = hex.right(1).toInt();
        hex.chop(1);
    }
    const QByteArray request = QByteArray::fromHex(hex);

    QByteArray prefix;
    if (!connected_) {
        if (!car_.present) {
            if (setProtocol_ != 0 && !tryProtocol_) return busError(setProtocol_);
            searchFailed_ = true;
            return "SEARCHING...\rUNABLE TO CONNECT\r";
        }
        if (setProtocol_ == car_.protocol) {
            connected_ = setProtocol_;
        } else if (setProtocol_ == 0 || (tryProtocol_ && options.autoSearch)) {
            connected_ = car_.protocol;
            foundBySearch_ = true;
            prefix = "SEARCHING...\r";
        } else {
            return busError(setProtocol_);
        }
    }

    QList<ElmAnswer> answers = car_.answer(request);
    if (answers.isEmpty()) return prefix + "NO DATA\r";
    if (limit > 0 && answers.size() > limit) answers = answers.mid(0, limit);
    QByteArray text = prefix;
    for (const ElmAnswer& a : answers) text += ElmFormat::message(connected_, a.address, a.payload, style_);
    return text;
}
