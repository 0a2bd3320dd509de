#include "base/ErrorHelp.h"

#include "base/OwnTexts.h"
#include "base/TextTable.h"

namespace ErrorHelp {

namespace {

struct Entry {
    int code;
    int textId;
};

constexpr Entry kEntries[] = {
    {1, OwnText::ErrorNoLink},
    {121, OwnText::ErrorSettingsCreate},
    {122, OwnText::ErrorSettingsOpen},
    {123, OwnText::ErrorSettingsFormat},
    {131, OwnText::ErrorRecordingCreate},
    {132, OwnText::ErrorRecordingOpen},
    {133, OwnText::ErrorRecordingFormat},
    {134, OwnText::ErrorRecordingAppend},
    {135, OwnText::ErrorCsvWrite},
    {141, OwnText::ErrorFirmwareRead},
    {142, OwnText::ErrorFirmwareSize},
    {143, OwnText::ErrorFirmwareFormat},
    {144, OwnText::ErrorFirmwareHardware},
};

}  // namespace

const QList<int>& codes()
{
    static const QList<int> list = [] {
        QList<int> out;
        for (const Entry& e : kEntries) out << e.code;
        return out;
    }();
    return list;
}

QString boxText(int code) { return QStringLiteral("Error code %1").arg(code); }

int textId(int code)
{
    for (const Entry& e : kEntries)
        if (e.code == code) return e.textId;
    return 0;
}

QString explanation(int code) { return explanation(code, programLanguage()); }

QString explanation(int code, int language)
{
    const int id = textId(code);
    return id ? ownTexts().text(id, language) : QString();
}

}  // namespace ErrorHelp
