// Fuzz harness: protocol-family discovery of engine computers and the search for a computer's
// lines in a reply. Input: protocol, computer address, PID, byte count, mode, then the reply.
#include "obd/ObdDiscovery.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Input in(data, size);
    const int protocol = in.byte() % 14 - 1;
    const int ecuChoice = in.word();
    const int pidNumber = in.byte();
    const int bytes = in.byte() % 8;
    const int mode = in.byte();
    const QByteArray reply = in.rest();

    const ObdDiscovery::EcuList found = ObdDiscovery::SzukajEcu(reply, protocol);
    // Either a computer found in the reply, or any address.
    const int ecu = (ecuChoice & 0x8000) ? found.primary : (ecuChoice & 0xFFF);
    qsizetype seen = found.list.size() + found.count;
    const int pos = ObdDiscovery::SzukajEcuPid(reply, protocol, ecu, pidNumber, bytes);
    if (pos > reply.size() + 1) __builtin_trap();
    seen += pos;
    QByteArray cut = reply;
    seen += ObdDiscovery::SzukajEcuMode(cut, protocol, ecu, mode);
    if (cut.size() > reply.size()) __builtin_trap();
    return seen < -1;
}
