// Fuzz harness: the ELM327 reply-text readers (hexadecimal fields, error replies, the protocol
// number, the log form). Input: field position, field count, then the reply text.
#include "obd/ObdReplyText.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Input in(data, size);
    const int pos = in.word() % 1100 - 4;
    const int fields = in.byte() % 12 - 2;
    const QByteArray reply = in.rest();

    qsizetype seen = ObdReplyText::TekstNaInt(reply, pos, fields);
    seen += ObdReplyText::CzyBlad(reply);
    const int protocol = ObdReplyText::ProtocolNumber(reply);
    seen += ObdReplyText::ProtocolRowText(protocol).size() + ObdReplyText::ProtocolLogText(protocol).size();
    seen += ObdReplyText::ProtocolKnown(protocol);
    const QString logForm = ObdReplyText::LogForm(reply);
    // One character per byte, and nothing below 16 left in it.
    if (logForm.size() != reply.size()) __builtin_trap();
    for (QChar c : logForm)
        if (c.unicode() < 16) __builtin_trap();
    seen += ObdReplyText::Hex(static_cast<uint32_t>(seen), fields).size();
    return seen < 0;
}
