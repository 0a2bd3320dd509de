#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "link/Tserial.h"

// One line per port of the port menu: number, device path, caption.
int cmdPorts(const QStringList& args)
{
    if (!args.isEmpty()) return CliArgs::fail(2, QStringLiteral("ports takes no arguments"));
    TSerial serial;
    serial.portNumber = 0;  // nothing remembered: no entry is marked
    QList<PortMenuItem> menu;
    serial.PortList(menu);
    for (const PortMenuItem& item : menu) {
        if (item.tag <= 0) continue;
        CliArgs::out() << item.tag << '\t' << item.device << '\t' << item.caption << '\n';
    }
    CliArgs::out().flush();
    return 0;
}
