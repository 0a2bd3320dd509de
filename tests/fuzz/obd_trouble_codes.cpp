// Fuzz harness: the trouble-code replies of the OBD reader (single and multi-frame CAN replies,
// the older buses' lines), the code text and the description lookup in a table.
// Input: protocol, mode, computer choice, then the adapter's reply (also read as a table).
#include "obd/ObdDiscovery.h"
#include "obd/ObdTroubleCodes.h"
#include "obd/Telmobd.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::ensureApplication();
    static TObd* obd = [] {
        auto* o = new TObd;
        o->timer()->stop();
        return o;
    }();
    static const unsigned char kModes[] = {0x43, 0x47, 0x4A};

    Fuzz::Input in(data, size);
    obd->protocol = in.byte() % 14 - 1;
    const uint8_t modeChoice = in.byte();
    const unsigned char mode = modeChoice & 0x80 ? modeChoice : kModes[modeChoice % 3];
    const int ecuChoice = in.word();
    const QByteArray reply = in.rest();
    obd->reply = reply;
    obd->primaryEcu = ecuChoice & 0x8000 ? ObdDiscovery::SzukajEcu(reply, obd->protocol).primary : ecuChoice & 0xFFF;
    qsizetype logged = 0;
    obd->OnTekst = [&logged](QObject*, const QString& text, TColor) { logged += text.size(); };

    obd->ClearCodeBox();
    obd->KodyBledow(mode);
    logged += obd->panels.codeBox.size();
    obd->OnTekst = nullptr;

    // The same bytes as a description table, asked for a code taken from them.
    const uint16_t code = static_cast<uint16_t>(ecuChoice);
    const QString text = ObdTroubleCodes::CodeText(code);
    if (text.size() != 5) __builtin_trap();
    if (const auto description = ObdTroubleCodes::Description(reply, text)) logged += description->size();
    if (reply.size() >= 5) {
        if (const auto description = ObdTroubleCodes::Description(reply, QString::fromLatin1(reply.left(5))))
            logged += description->size();
    }
    logged += ObdTroubleCodes::FromCp1250(reply).size();
    return logged < 0;
}
