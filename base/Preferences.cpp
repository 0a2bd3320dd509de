#include "base/Preferences.h"

#include <QtCore/QSettings>

namespace {

bool readInt(QSettings& store, const char* name, int& value)
{
    const QVariant v = store.value(QLatin1String(name));
    if (!v.isValid()) return false;
    bool ok = false;
    const int n = v.toInt(&ok);
    if (!ok) return false;
    value = n;
    return true;
}

}  // namespace

void Preferences::read(QSettings& store)
{
    int v = 0;
    if (readInt(store, "AutoBackup", v)) autoBackup = v != 0;
    elmAddress = store.value(QStringLiteral("ElmAddress")).toString();
    elmOverNetwork = !elmAddress.isEmpty() && readInt(store, "ElmNetwork", v) && v == 1;
    if (!readInt(store, "Comm", comm)) return;
    if (!readInt(store, "ElmComm", elmComm)) return;
    if (!readInt(store, "Comp", v)) return;
    theme = clampTheme(v);
    if (!readInt(store, "Lang", v)) return;
    language = clampLanguage(v);
    if (!readInt(store, "View", v)) return;
    view = clampView(v);
    int top = 0, left = 0, width = 0, height = 0;
    if (!readInt(store, "WTop", top)) return;
    if (!readInt(store, "WLeft", left)) return;
    if (!readInt(store, "WWidth", width)) return;
    if (!readInt(store, "WHeight", height)) return;
    bounds = QRect(left, top, width, height);
    hasBounds = true;
    if (!readInt(store, "WState", windowState)) return;
    hasState = true;
    for (size_t i = 0; i < kColourIds.size(); ++i) {
        const QByteArray name = "Color" + QByteArray::number(kColourIds[i]);
        if (!readInt(store, name.constData(), v)) return;
        if (v >= 0) colours[i] = v;
    }
}

void Preferences::write(QSettings& store, bool writeBounds) const
{
    store.setValue(QStringLiteral("Comm"), comm);
    store.setValue(QStringLiteral("ElmComm"), elmComm);
    store.setValue(QStringLiteral("Comp"), theme);
    store.setValue(QStringLiteral("Lang"), language);
    store.setValue(QStringLiteral("View"), view);
    store.setValue(QStringLiteral("WState"), windowState);
    store.setValue(QStringLiteral("AutoBackup"), autoBackup ? 1 : 0);
    store.setValue(QStringLiteral("ElmAddress"), elmAddress);
    store.setValue(QStringLiteral("ElmNetwork"), elmOverNetwork ? 1 : 0);
    if (writeBounds) {
        store.setValue(QStringLiteral("WTop"), bounds.top());
        store.setValue(QStringLiteral("WLeft"), bounds.left());
        store.setValue(QStringLiteral("WWidth"), bounds.width());
        store.setValue(QStringLiteral("WHeight"), bounds.height());
    }
    for (size_t i = 0; i < kColourIds.size(); ++i)
        store.setValue(QStringLiteral("Color%1").arg(kColourIds[i]), colours[i]);
    store.sync();
}

bool Preferences::developerMode(QSettings& store)
{
    int v = 0;
    return readInt(store, "Dev", v) && v == 1;
}
