#include "sim/elm/ElmSimulator.h"

#include <QtCore/QTimer>

namespace {

QList<int> defaultAddresses(int protocol)
{
    if (protocol == 6 || protocol == 8) return {0x7E8, 0x7E9};
    if (protocol == 7 || protocol == 9) return {0x10, 0x18};
    return {0x10, 0x1A};
}

const QList<int> kEnginePids = {0x01, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10,
                                0x11, 0x13, 0x14, 0x15, 0x1C, 0x1F, 0x21, 0x2F, 0x33, 0x42, 0x46, 0x51, 0x5C};
const QList<int> kGearboxPids = {0x01, 0x0D};

bool parseCodes(const QString& value, ElmCar& car, QList<uint16_t> ElmEcu::*list, QString& error)
{
    // "[ADDR=]P0171,P0300": the codes of the computer at ADDR, or of the first one.
    QString codes = value;
    int index = 0;
    const int eq = static_cast<int>(value.indexOf(QLatin1Char('=')));
    if (eq >= 0) {
        bool ok = false;
        const int address = value.left(eq).toInt(&ok, 16);
        index = -1;
        for (int i = 0; ok && i < car.ecus.size(); ++i)
            if (car.ecus[i].address == address) index = i;
        if (index < 0) {
            error = QStringLiteral("no engine computer at ") + value.left(eq);
            return false;
        }
        codes = value.mid(eq + 1);
    }
    if (car.ecus.isEmpty()) {
        error = QStringLiteral("codes need an engine computer");
        return false;
    }
    QList<uint16_t>& target = car.ecus[index].*list;
    target.clear();
    for (const QString& text : codes.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        uint16_t code = 0;
        if (!ElmCar::parseCode(text.trimmed(), code)) {
            error = QStringLiteral("not a trouble code: ") + text;
            return false;
        }
        target.append(code);
    }
    return true;
}

}  // namespace

ElmSimulator::ElmSimulator(QObject* parent) : QObject(parent)
{
    QString unused;
    configure({}, unused);
}

QString ElmSimulator::usage()
{
    return QStringLiteral(
        "kavelo-sim elm [options]\n"
        "  --protocol N          protocol the car speaks, 1..9 (default 6, CAN 11 bit 500k)\n"
        "  --ecu ADDR[:PIDS]     an engine computer (hex address, hex PIDs separated by commas);\n"
        "                        repeat for several; default: engine and gearbox for the protocol\n"
        "  --stored [ADDR=]CODES stored codes, e.g. P0171,P0300,P0420 (default on the first computer)\n"
        "  --pending [ADDR=]CODES pending codes\n"
        "  --permanent [ADDR=]CODES permanent codes\n"
        "  --no-car              nothing behind the adapter (UNABLE TO CONNECT)\n"
        "  --auto-search         a failed protocol try falls back to a search; ATDPN answers A<n>\n"
        "  --split N             every answer arrives in N pieces\n"
        "  --silent-after N      stop answering after N commands (0: a dead adapter)\n"
        "  --voltage TEXT        ATRV answer (default 12.6V)\n"
        "  --tcp HOST:PORT       serve on TCP as a Wi-Fi adapter does (e.g. 127.0.0.1:35000; port 0\n"
        "                        takes a free one), one client at a time, instead of a pseudo-terminal\n"
        "  --no-wire-timing      answers at once instead of at the line's 38400 baud\n");
}

bool ElmSimulator::configure(const QStringList& argsIn, QString& error)
{
    QStringList args = argsIn;
    car = ElmCar();
    adapter.options = ElmAdapter::Options();
    pieces = 1;
    tcp.clear();
    setWireTiming(true);
    QList<ElmEcu> ecus;
    QList<std::pair<QString, QString>> codeOptions;
    auto value = [&](int& i, QString& out) {
        if (i + 1 >= args.size()) {
            error = args[i] + QStringLiteral(" needs a value");
            return false;
        }
        out = args[++i];
        return true;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        QString v;
        if (a == QLatin1String("--protocol")) {
            if (!value(i, v)) return false;
            bool ok = false;
            car.protocol = v.toInt(&ok);
            if (!ok || car.protocol < 1 || car.protocol > 9) {
                error = QStringLiteral("protocol must be 1..9");
                return false;
            }
        } else if (a == QLatin1String("--ecu")) {
            if (!value(i, v)) return false;
            ElmEcu ecu;
            bool ok = false;
            ecu.address = v.section(QLatin1Char(':'), 0, 0).toInt(&ok, 16);
            if (!ok) {
                error = QStringLiteral("not an address: ") + v;
                return false;
            }
            const QString pids = v.section(QLatin1Char(':'), 1);
            for (const QString& p : pids.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                const int n = p.toInt(&ok, 16);
                if (!ok || n < 1 || n > 0x80 || n % 0x20 == 0) {
                    error = QStringLiteral("not a PID: ") + p;
                    return false;
                }
                ecu.pids.insert(n);
            }
            if (pids.isEmpty()) ecu.pids = QSet<int>(kEnginePids.begin(), kEnginePids.end());
            ecus.append(ecu);
        } else if (a == QLatin1String("--stored") || a == QLatin1String("--pending") ||
                   a == QLatin1String("--permanent")) {
            if (!value(i, v)) return false;
            codeOptions.append({a, v});
        } else if (a == QLatin1String("--no-wire-timing")) {
            setWireTiming(false);
        } else if (a == QLatin1String("--no-car")) {
            car.present = false;
        } else if (a == QLatin1String("--auto-search")) {
            adapter.options.autoSearch = true;
        } else if (a == QLatin1String("--split") || a == QLatin1String("--silent-after")) {
            if (!value(i, v)) return false;
            bool ok = false;
            const int n = v.toInt(&ok);
            if (!ok || n < (a == QLatin1String("--split") ? 1 : 0)) {
                error = a + QStringLiteral(" needs a number");
                return false;
            }
            if (a == QLatin1String("--split")) pieces = n;
            else adapter.options.silentAfter = n;
        } else if (a == QLatin1String("--voltage")) {
            if (!value(i, v)) return false;
            adapter.options.voltage = v.toLatin1();
        } else if (a == QLatin1String("--tcp")) {
            if (!value(i, v)) return false;
            tcp = v;
        } else {
            error = QStringLiteral("unknown option ") + a;
            return false;
        }
    }
    if (ecus.isEmpty()) {
        const QList<int> addresses = defaultAddresses(car.protocol);
        ElmEcu engine;
        engine.address = addresses[0];
        engine.pids = QSet<int>(kEnginePids.begin(), kEnginePids.end());
        // Three stored codes: more than one CAN frame holds.
        engine.stored = {0x0171, 0x0300, 0x0420};
        engine.pending = {0x0133};
        engine.permanent = {0x0420};
        ElmEcu gearbox;
        gearbox.address = addresses[1];
        gearbox.pids = QSet<int>(kGearboxPids.begin(), kGearboxPids.end());
        gearbox.stored = {0x0700};
        ecus = {engine, gearbox};
    }
    car.ecus = ecus;
    for (const auto& [option, codes] : codeOptions) {
        auto list = option == QLatin1String("--stored")    ? &ElmEcu::stored
                    : option == QLatin1String("--pending") ? &ElmEcu::pending
                                                           : &ElmEcu::permanent;
        if (!parseCodes(codes, car, list, error)) return false;
    }
    return true;
}

bool ElmSimulator::open() { return port_.open(); }

bool ElmSimulator::listen(const QString& hostPort, QString& error)
{
    const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':'));
    QString host = colon > 0 ? hostPort.left(colon) : QString();
    bool ok = false;
    const uint port = colon > 0 ? hostPort.mid(colon + 1).toUInt(&ok) : 0;
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) host = host.mid(1, host.size() - 2);
    QHostAddress address;
    if (host == QLatin1String("localhost")) address = QHostAddress(QHostAddress::LocalHost);
    else if (!address.setAddress(host)) ok = false;
    if (!ok || port > 65535) {
        error = QStringLiteral("--tcp needs HOST:PORT with an IP address, e.g. 127.0.0.1:35000");
        return false;
    }
    if (client_) client_->disconnect(this);
    client_ = nullptr;
    delete server_;  // and the client it served
    server_ = new QTcpServer(this);
    if (!server_->listen(address, static_cast<quint16>(port))) {
        error = QStringLiteral("cannot listen on ") + hostPort + QStringLiteral(": ") + server_->errorString();
        delete server_;
        server_ = nullptr;
        return false;
    }
    servedHost_ = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    connect(server_, &QTcpServer::newConnection, this, &ElmSimulator::takeClient);
    return true;
}

QString ElmSimulator::servedAddress() const
{
    if (!server_) return {};
    return servedHost_ + QLatin1Char(':') + QString::number(server_->serverPort());
}

void ElmSimulator::takeClient()
{
    if (client_ || !server_) return;  // the one served stays; a newcomer waits its turn
    client_ = server_->nextPendingConnection();
    if (!client_) return;
    queue_.clear();  // what was left for the previous client is not this one's
    connect(client_, &QTcpSocket::readyRead, this, &ElmSimulator::poll);
    connect(client_, &QTcpSocket::disconnected, this, &ElmSimulator::dropClient);
}

void ElmSimulator::dropClient()
{
    if (!client_) return;
    client_->disconnect(this);
    client_->deleteLater();
    client_ = nullptr;
    takeClient();
}

QByteArray ElmSimulator::takeInput()
{
    if (!server_) return port_.readAll();
    // Without an event loop (tests that drive time themselves) nothing else accepts, reads or
    // notices a client leaving: a zero wait does it here.
    if (!client_) {
        server_->waitForNewConnection(0);
        takeClient();
    }
    if (!client_) return {};
    if (client_->state() == QAbstractSocket::ConnectedState) client_->waitForReadyRead(0);
    QByteArray in = client_->readAll();
    if (client_->state() != QAbstractSocket::ConnectedState) dropClient();
    return in;
}

void ElmSimulator::send(const QByteArray& bytes)
{
    if (!server_) {
        port_.write(bytes);
    } else if (client_) {
        client_->write(bytes);
        client_->flush();
    }
}

void ElmSimulator::setWireTiming(bool on)
{
    wireTiming_ = on;
    port_.setWireTiming(on);
}

int ElmSimulator::poll()
{
    int sent = 0;
    const QByteArray in = takeInput();
    if (!in.isEmpty()) {
        received += in;
        const QByteArray out = adapter.receive(in);
        if (!out.isEmpty()) {
            const int size = static_cast<int>(out.size());
            const int step = std::max(1, (size + pieces - 1) / pieces);
            for (int at = 0; at < size; at += step) queue_.append(out.mid(at, step));
        }
    }
    if (!queue_.isEmpty()) {
        // One piece per call: a split answer reaches the program across several of its reads.
        do {
            const QByteArray piece = queue_.takeFirst();
            send(piece);
            sent += static_cast<int>(piece.size());
        } while (pieces == 1 && !queue_.isEmpty());
    }
    return sent;
}

void ElmSimulator::serve()
{
    if (!server_) {
        port_.setWatching(true);
        connect(&port_, &PtyPort::received, this, &ElmSimulator::poll);
    }
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &ElmSimulator::poll);
    timer->start(30);
}
