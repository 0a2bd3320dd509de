#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QLocale>
#include <QtCore/QString>
#include <QtCore/QTimer>
#include <QtCore/QVector>

#include <cstdint>

#include "link/LinkEvents.h"
#include "link/ObdSnapshotSink.h"
#include "link/Tserial.h"
#include "obd/ObdPanels.h"
#include "obd/ObdPidCatalogue.h"
#include "obd/ObdTroubleCodes.h"

// The OBD reader: drives an ELM327 adapter on its own serial port with a timer-driven task loop
// that initialises the adapter, finds the car's protocol and engine computers, polls the selected
// mode-01 PIDs, reads and clears trouble codes, and hands the fuel-system status and fuel trims to
// the controller link.
class TObd : public TSerial {
    Q_OBJECT
public:
    static constexpr int kTick = 100;           // ms between loop steps
    static constexpr int kReplyTimeout = 3000;  // ms an adapter reply may take
    static constexpr int kRxSize = 1024;

    // Log colours.
    static constexpr TColor kSentColour = Rgb(255, 0, 255);
    static constexpr TColor kReceivedColour = Rgb(0, 0, 255);
    static constexpr TColor kInfoColour = Rgb(0, 128, 0);
    static constexpr TColor kErrorColour = Rgb(255, 0, 0);
    static constexpr TColor kStepColour = Rgb(0, 0, 0);
    // Code box colours.
    static constexpr TColor kHeaderColour = Rgb(0, 128, 0);
    static constexpr TColor kCodeColour = Rgb(255, 0, 0);

    explicit TObd(QObject* owner = nullptr);
    ~TObd() override;

    // --- timer handlers: the first tick lays out the panels, then a step every 100 ms
    void OnTimer0();
    void OnTimer1();
    // One step of the task loop.
    void PetlaZadan();

    // --- the command/reply link
    void Nadaj(const QByteArray& command);
    void WyslijBufor(const uint8_t* data, int length);
    void OdbierzBufor();
    void Powtorz();
    // 1-based position of `text` in the reply, 0 when absent.
    int Analizuj(const QByteArray& text) const;
    bool CzyBlad() const;
    uint32_t TekstNaInt(int pos, int fields) const;

    // Host request: 0 restarts the adapter initialisation, 3 reads the trouble codes, 4 clears them.
    void WcisnietoPrzycisk(int button);

    // --- discovery
    void StatusProtokol();
    void StatusEcu();
    void SzukajEcu();
    int SzukajEcuPid(unsigned char pidNumber) const;
    bool SzukajEcuMode(unsigned char mode);

    // --- PIDs
    void DodajPid(int bytes, const QString& name, const QString& shortName, const QString& unit, int formula);
    void PIDsupported(int first);
    void KolejnyPid();
    int WyswietlPid();

    // --- trouble codes
    void KodyBledow(unsigned char mode);
    void KodyBledowISO(unsigned char mode);
    void KodyBledowCAN(unsigned char mode);
    void KodyBledowCyfra(int code);
    // Appends the description of `code` from table 900 or 901; false when the table has none.
    bool KodyBledowOpis(const QString& code, int table);

    // --- panels
    void Status(int row, const QString& text, bool clearBelow);
    void StatusElm();
    void StatusVoltage();
    void StatusDteMil();
    // The four data bytes after "41 01" on one line of the reply to "0101", as one number (the
    // first byte most significant); false when that line does not hold four byte fields.
    static bool StatusValue0101(const QByteArray& reply, uint32_t& value);
    // Rebuilds the PID grid: the support marks follow the catalogue, every value is emptied.
    void OpiszPid();
    // Toggles the selection of a supported PID (the grid's click, double-click and Enter key), then
    // rebuilds the grid. Unsupported entries keep their selection.
    void PrzelaczPid(int row);
    // Column 1 of the PID grid: "x" unsupported, "on" selected, "off" not selected.
    QString PidMark(int row) const;
    void ClearCodeBox();

    void DoOnTekst(const QString& text, TColor colour);
    void DoOnZdarzenie(int code, int state, int flag);

    QTimer* timer() const { return timer_; }

    // --- state
    QVector<pid> pidy;
    QByteArray lastCommand;
    QByteArray reply;  // last complete reply, raw, with line ends and the final '>'
    int ecuCount = 0;
    int primaryEcu = 0;
    int protocol = -1;  // 1..12 when known, 0 not a number, -1 while searching again
    int currentPid = 0;
    int state = 0;
    int delay = 0;         // ms before the next step
    int replyTimeout = 0;  // ms left for the outstanding reply
    int pidFailures = 0;
    int sentCount = 0;  // commands written to the adapter since construction
    bool busy = false;
    bool awaitingReply = false;
    uint8_t rxBuffer[kRxSize]{};
    int rxCount = 0;
    ObdSnapshotSink* sterownik = nullptr;  // the controller link: receives the OBD snapshot; not owned
    ObdPanels panels;
    QLocale locale;  // decimal separator of the values shown

    TTekstEvent OnTekst;
    TZdarzenieEvent OnZdarzenie;

Q_SIGNALS:
    void statusChanged();
    void pidGridChanged();
    void codeBoxChanged();

private:
    // Puts the reason the port was lost or not opened (a refused network connection) in the log.
    void logPortError();
    // Why the port could not be used: a network adapter's reason in the window's language.
    QString failureText() const;
    // The port could not be opened or was lost (`step`: the log's step line): shown, then idle.
    void portFailed(const QString& step);
    void protocolTry(int attempt);
    void startupRead(int pidNumber);
    void appendCode(const QString& text, TColor colour, bool defaultColour, int table = 0);
    const ObdTroubleCodes::DescriptionIndex& descriptionTable(int table);

    QTimer* timer_ = nullptr;
    ObdTroubleCodes::DescriptionIndex tables_[2];
    bool tablesLoaded_[2] = {false, false};
};
