#include "obd/Telmobd.h"

#include <QtCore/QCoreApplication>

#include <algorithm>
#include <cstring>

#include "base/OwnTexts.h"
#include "link/PortNames.h"
#include "obd/ObdReplyText.h"

namespace {

struct ProtocolTry {
    const char* row;
    const char* log;
    const char* command;
};

// The order in which protocols are tried: the common CAN variants first, then the older buses.
// Tries 8 and 9 repeat the first two, which can answer late on a cold start.
constexpr ProtocolTry kTries[] = {
    {"try CAN (11 bit ID, 500 Kbaud)", "ISO 15765-4 CAN (11 bit ID, 500 Kbaud)", "ATTP6\r"},
    {"try CAN (29 bit ID, 500 Kbaud)", "ISO 15765-4 CAN (29 bit ID, 500 Kbaud)", "ATTP7\r"},
    {"try SAE J1850 VPW", "SAE J1850 VPW (10.4 Kbaud)", "ATTP2\r"},
    {"try SAE J1850 PWM", "SAE J1850 PWM (41.6 Kbaud)", "ATTP1\r"},
    {"try ISO 9141-2 (KL)", "ISO 9141-2 (KL) (5 baud init, 10.4 Kbaud)", "ATTP3\r"},
    {"try KWP slow init", "ISO 14230-4 KWP (5 baud init, 10.4 Kbaud)", "ATTP4\r"},
    {"try KWP fast init", "ISO 14230-4 KWP (fast init, 10.4 Kbaud)", "ATTP5\r"},
    {"try CAN (11 bit ID, 500 Kbaud)", "ISO 15765-4 CAN (11 bit ID, 500 Kbaud)", "ATTP6\r"},
    {"try CAN (26 bit ID, 500 Kbaud", "ISO 15765-4 CAN (26 bit ID, 500 Kbaud)", "ATTP7\r"},
    {"try CAN (11 bit ID, 250 Kbaud)", "ISO 15765-4 CAN (11 bit ID, 250 Kbaud)", "ATTP8\r"},
    {"try CAN (29 bit ID, 250 Kbaud)", "ISO 15765-4 CAN (29 bit ID, 250 Kbaud)", "ATTP9\r"},
};

}  // namespace

TObd::TObd(QObject* owner) : TSerial(owner), timer_(new QTimer(this))
{
    portNumber = 1;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    pidy = ObdPidCatalogue::Build();
    panels.pidValues = QStringList(pidy.size(), QString());
    timer_->setInterval(200);
    connect(timer_, &QTimer::timeout, this, &TObd::OnTimer0);
    timer_->start();
}

TObd::~TObd()
{
    timer_->stop();
    disconnect(timer_, nullptr, this, nullptr);
    PortClose();
}

void TObd::OnTimer0()
{
    Q_EMIT statusChanged();  // the labels are fixed; a view lays out the grid with them
    OpiszPid();
    ClearCodeBox();
    timer_->stop();
    disconnect(timer_, &QTimer::timeout, this, &TObd::OnTimer0);
    timer_->setInterval(kTick);
    connect(timer_, &QTimer::timeout, this, &TObd::OnTimer1);
    timer_->start();
}

void TObd::OnTimer1()
{
    timer_->stop();
    timer_->setInterval(kTick);
    timer_->start();
    if (busy) return;
    // Every open starts the loop over; for a Wi-Fi adapter also one that failed at once (refused):
    // the page then shows the address tried and why, instead of what was there before.
    if (justOpened || (openTried && overNetwork())) {
        justOpened = openTried = false;
        state = 2;
    }
    busy = true;
    if (PortConnected()) OdbierzBufor();
    PetlaZadan();
    busy = false;
}

void TObd::DoOnTekst(const QString& text, TColor colour)
{
    if (OnTekst) OnTekst(this, text, colour);
}

void TObd::DoOnZdarzenie(int code, int adapterState, int flag)
{
    if (OnZdarzenie) OnZdarzenie(kEventObd, code, flag, adapterState);
}

void TObd::logPortError()
{
    const QString why = portError();
    if (!why.isEmpty()) DoOnTekst(why, kErrorColour);
}

QString TObd::failureText() const
{
    switch (portFailure()) {
        case SerialBackend::Failure::Refused: return TextById(OwnText::WifiRefused);
        case SerialBackend::Failure::NoAnswer:
            return TextById(OwnText::WifiNoAnswer).arg(locale.toString(portFailedAfterMs() / 1000.0, 'f', 1));
        case SerialBackend::Failure::HostNotFound: return TextById(OwnText::WifiHostNotFound);
        case SerialBackend::Failure::Closed: return TextById(OwnText::WifiClosed);
        case SerialBackend::Failure::Lost: return TextById(OwnText::WifiLost);
        case SerialBackend::Failure::Other:
        case SerialBackend::Failure::None: break;
    }
    return portError().isEmpty() ? QStringLiteral("brak połączenia") : portError();
}

void TObd::portFailed(const QString& step)
{
    delay = 5000;
    DoOnTekst(step, kErrorColour);
    if (overNetwork()) {
        // A Wi-Fi adapter: the PORT row keeps the address tried, the next row says why it could not
        // be used, in the window's language, and so does the log.
        const QString why = failureText();
        Status(ObdPanels::RowPort, address, true);
        Status(ObdPanels::RowElm, why, false);
        DoOnTekst(TextById(OwnText::WifiFailed).arg(address, why), kErrorColour);
    } else {
        Status(ObdPanels::RowPort, QString::fromUtf8(ObdPanels::kNoConnection), false);
        logPortError();
    }
    DoOnZdarzenie(kObdAdapterState, -1, 0);
    state = 0;
}

// --- the command/reply link

void TObd::Nadaj(const QByteArray& command)
{
    lastCommand = command;
    WyslijBufor(reinterpret_cast<const uint8_t*>(command.constData()), static_cast<int>(command.size()));
}

void TObd::WyslijBufor(const uint8_t* data, int length)
{
    if (!PortConnected()) return;
    PortPurgeRx();
    // Bytes collected without a prompt belong to no command any more; keeping them would put stale
    // text in front of this command's reply, or leave a full buffer that no reply can complete.
    rxCount = 0;
    PortWrite(data, length);
    ++sentCount;
    reply.clear();
    awaitingReply = true;
    replyTimeout = kReplyTimeout;
    DoOnTekst(ObdReplyText::LogForm(QByteArray(reinterpret_cast<const char*>(data), length)), kSentColour);
}

void TObd::OdbierzBufor()
{
    const int waiting = PortInQueCount();
    if (waiting <= 0) return;
    const int n = std::min(waiting, kRxSize - rxCount);
    const int got = n > 0 ? PortRead(rxBuffer + rxCount, n) : 0;
    if (got > 0) rxCount += got;
    if (rxCount == 0) return;
    if (rxBuffer[rxCount - 1] != '>') {
        if (rxCount >= kRxSize) {
            // A full buffer without a prompt can never complete: drop it so that reading goes on.
            DoOnTekst(QStringLiteral("bufor odbioru pełny - odrzucono"), kErrorColour);
            rxCount = 0;
        }
        return;
    }
    reply = QByteArray(reinterpret_cast<const char*>(rxBuffer), rxCount);
    DoOnTekst(ObdReplyText::LogForm(reply), kReceivedColour);
    rxCount = 0;
    awaitingReply = false;
}

void TObd::Powtorz()
{
    DoOnTekst(QStringLiteral("Przekroczenie czasu"), kErrorColour);
    awaitingReply = false;
}

int TObd::Analizuj(const QByteArray& text) const { return static_cast<int>(reply.indexOf(text) + 1); }

bool TObd::CzyBlad() const { return ObdReplyText::CzyBlad(reply); }

uint32_t TObd::TekstNaInt(int pos, int fields) const { return ObdReplyText::TekstNaInt(reply, pos, fields); }

void TObd::WcisnietoPrzycisk(int button)
{
    switch (button) {
        case 0: state = 100; break;
        case 3: state = 3000; break;
        case 4: state = 4000; break;
        default: break;
    }
}

// --- the task loop

void TObd::protocolTry(int attempt)
{
    const ProtocolTry& t = kTries[attempt - 1];
    Status(ObdPanels::RowObd, QString::fromLatin1(t.row), true);
    DoOnTekst(QString::fromLatin1(t.log), kStepColour);
    Nadaj(t.command);
}

void TObd::startupRead(int pidNumber)
{
    currentPid = pidNumber;
    const bool error = CzyBlad();
    if (WyswietlPid() == 1 && !error) pidy[pidNumber].supported = true;
}

void TObd::PetlaZadan()
{
    if (delay > 0) {
        delay -= kTick;
        return;
    }
    if (awaitingReply) {
        if (replyTimeout > 0) replyTimeout -= kTick;
        else Powtorz();
        return;
    }

    const bool ok = Analizuj("OK") > 0;
    // Set-up commands that must each be accepted before the next is sent.
    auto setup = [&](const char* next) {
        if (ok) {
            Nadaj(next);
            ++state;
        } else {
            delay = 5000;
            state = 3;
        }
    };

    switch (state) {
        case 2:
            if (PortConnected()) {
                const QString port = overNetwork() ? address
                                     : portNumber >= PortNames::kFtdiBase
                                         ? QStringLiteral("FTDI ") + QString::number(portNumber - PortNames::kFtdiBase)
                                         : QStringLiteral("COMM ") + QString::number(portNumber);
                Status(ObdPanels::RowPort, port, true);
                delay = 500;
                DoOnTekst(QStringLiteral("2) połączono") +
                              (overNetwork() ? QLatin1Char(' ') + address : QString::number(portNumber)),
                          kStepColour);
                state = 3;
            } else {
                portFailed(QStringLiteral("2) brak połączenia"));
            }
            break;
        case 3:
            // A Wi-Fi adapter is asked only once its connection is made (or given up).
            if (PortConnecting()) break;
            if (PortConnected()) {
                Status(ObdPanels::RowElm, QString::fromUtf8(ObdPanels::kSearchingAdapter), true);
                protocol = -1;
                delay = 200;
                DoOnTekst(QStringLiteral("3) szukanie interfejsu"), kStepColour);
                DoOnZdarzenie(kObdAdapterState, -1, 0);
                state = 100;
            } else {
                portFailed(QStringLiteral("3) brak połączenia"));
            }
            break;
        case 100:
            Nadaj("ATZ\r");
            state = 101;
            break;
        case 101:
            StatusElm();
            if (Analizuj("ELM") > 0) {
                Nadaj("ATE1\r");
                state = 102;
            } else {
                delay = 5000;
                state = 3;
            }
            break;
        case 102: setup("ATL0\r"); break;
        case 103: setup("ATCAF1\r"); break;
        case 104: setup("ATH1\r"); break;
        case 105: setup("ATM0\r"); break;
        case 106: setup("ATRV\r"); break;
        case 107:
            StatusVoltage();
            state = 200;
            break;
        case 200:
            DoOnZdarzenie(kObdAdapterState, 0, 1);
            protocolTry(1);
            state = 201;
            break;
        case 201:
        case 203:
        case 205:
        case 207:
        case 209:
        case 211:
        case 213:
        case 215:
        case 217:
        case 219:
        case 221:
            if (ok) {
                Nadaj("0100\r");
                ++state;
            } else {
                delay = 5000;
                state = 200;
            }
            break;
        case 202:
        case 204:
        case 206:
        case 208:
        case 210:
        case 212:
        case 214:
        case 216:
        case 218:
        case 220:
            if (CzyBlad()) {
                protocolTry((state - 200) / 2 + 1);
                ++state;
            } else {
                state = 300;
            }
            break;
        case 222: state = CzyBlad() ? 223 : 300; break;
        case 223:
            Status(ObdPanels::RowObd, QString::fromUtf8(ObdPanels::kNoProtocol), false);
            delay = 1000;
            Nadaj("ATM1\r");
            state = 224;
            break;
        case 224:
            delay = 5000;
            Nadaj("ATZ\r");
            state = 3;
            break;
        case 300:
            Nadaj("ATDPN\r");
            state = 301;
            break;
        case 301:
            StatusProtokol();
            Nadaj("ATM1\r");
            DoOnZdarzenie(kObdAdapterState, protocol, 0);
            state = 302;
            break;
        case 302:
            Nadaj("ATST32\r");
            state = 303;
            break;
        case 303:
            Nadaj("ATAL\r");
            state = 304;
            break;
        case 304:
            Nadaj("ATE0\r");
            state = 305;
            break;
        case 305:
            Nadaj("ATH1\r");
            state = 306;
            break;
        case 306:
            if (ok) {
                Nadaj("01001\r");
                state = 307;
            } else {
                state = 100;
            }
            break;
        case 307:
            // The single-answer request only wakes the bus; the full "0100" below is the one read.
            Nadaj("0100\r");
            state = 308;
            break;
        case 308:
            if (CzyBlad()) {
                state = 100;
                break;
            }
            StatusEcu();
            PIDsupported(0x00);
            if (pidy[0x01].supported) Nadaj("0101\r");
            state = 309;
            break;
        case 309:
            if (CzyBlad()) {
                state = 100;
                break;
            }
            if (pidy[0x01].supported) StatusDteMil();
            if (pidy[0x20].supported) {
                Nadaj("0120\r");
                state = 310;
            } else {
                state = 400;
            }
            break;
        case 310:
        case 311:
            if (CzyBlad()) {
                state = 100;
                break;
            }
            {
                const int first = state == 310 ? 0x20 : 0x40;
                PIDsupported(first);
                if (pidy[first + 0x20].supported) {
                    Nadaj(QByteArray("01") + ObdReplyText::Hex(first + 0x20) + "\r");
                    ++state;
                } else {
                    state = 400;
                }
            }
            break;
        case 312:
            if (CzyBlad()) {
                state = 100;
                break;
            }
            PIDsupported(0x60);
            if (pidy[0x80].supported) Nadaj("0180\r");
            state = 400;
            break;
        case 400:
            Nadaj("0103\r");
            state = 401;
            break;
        case 401:
            startupRead(0x03);
            Nadaj("0106\r");
            state = 402;
            break;
        case 402:
            startupRead(0x06);
            Nadaj("0107\r");
            state = 403;
            break;
        case 403:
            startupRead(0x07);
            Nadaj("0108\r");
            state = 404;
            break;
        case 404:
            startupRead(0x08);
            Nadaj("0109\r");
            state = 405;
            break;
        case 405:
            startupRead(0x09);
            OpiszPid();
            Nadaj("ATRV\r");
            state = 406;
            break;
        case 406:
            StatusVoltage();
            state = 1000;
            break;
        case 1000: {
            // The older buses need a pause between requests; CAN answers at once.
            if (protocol < 6) delay = 200;
            const int sent = sentCount;
            KolejnyPid();
            // With nothing to ask for, the reply in hand is old: decoding it again would hand stale
            // fuel trims to the gas controller as fresh ones.
            if (sentCount == sent) reply.clear();
            state = 1001;
            break;
        }
        case 1001:
            if (WyswietlPid() == 1) {
                pidFailures = 0;
                state = 1000;
            } else if (++pidFailures > 10) {
                pidFailures = 0;
                state = 3;
            } else {
                state = 1000;
            }
            break;
        case 3000:
            ClearCodeBox();
            delay = 200;
            Nadaj("03\r");
            state = 3001;
            break;
        case 3001:
            delay = 200;
            KodyBledow(0x43);
            state = 3002;
            break;
        case 3002:
            delay = 200;
            Nadaj("07\r");
            state = 3003;
            break;
        case 3003:
            delay = 200;
            KodyBledow(0x47);
            state = 3004;
            break;
        case 3004:
            delay = 200;
            Nadaj("0A\r");
            state = 3005;
            break;
        case 3005:
            delay = 200;
            KodyBledow(0x4A);
            state = 1000;
            break;
        case 4000:
            Nadaj("04\r");
            state = 4001;
            break;
        case 4001:
            // The clear has a result the fitter can see: the status (code count and MIL) and the code
            // box are read again at once instead of keeping what was there before the clear.
            if (pidy[0x01].supported) {
                delay = 200;
                Nadaj("0101\r");
                state = 4002;
            } else {
                state = 3000;
            }
            break;
        case 4002:
            if (!CzyBlad()) StatusDteMil();
            state = 3000;
            break;
        default: break;
    }
}
