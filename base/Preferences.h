#pragma once

#include <QtCore/QRect>

#include <array>

class QSettings;

// The user's preferences as stored under "ZorUDU": ports (and the Wi-Fi adapter's address), theme,
// language, view level, window bounds and state, and the trace colours of the 34 live channels.
struct Preferences {
    // Name IDs of the channels whose colours are stored, in the stored order ("Color1400", ...).
    static constexpr std::array<int, 34> kColourIds = {
        1400, 1402, 1404, 1406, 1408, 1410, 1412, 1418, 1420, 1422, 1430, 1432, 1450, 1452, 1454, 1456, 1458,
        1460, 1501, 1601, 1502, 1602, 1503, 1603, 1504, 1604, 1505, 1605, 1506, 1606, 1507, 1607, 1508, 1608};

    int comm = 1;
    int elmComm = 1;
    int theme = 3;
    int language = 1;
    int view = 1;
    bool hasBounds = false;  // the four bounds were all read
    QRect bounds;            // outer window bounds
    bool hasState = false;
    int windowState = 0;  // 0 normal, 1 minimised, 2 maximised
    // Channel colours as stored (red + 256 x green + 65536 x blue); -1 keeps the built-in colour.
    std::array<int, 34> colours{};
    // The program's own preference "AutoBackup" (1 on, 0 off; on when missing), outside the
    // product's stored order.
    bool autoBackup = true;
    // The OBD adapter on Wi-Fi, also outside the stored order: "ElmAddress" the last address typed
    // for it (HOST:PORT; empty none), "ElmNetwork" 1 while that address, not port ElmComm, is the
    // adapter's port.
    QString elmAddress;
    bool elmOverNetwork = false;

    Preferences() { colours.fill(-1); }

    // Reads in the stored order and stops at the first value that is missing or not an integer: the
    // values before it apply, the rest keep their defaults. Out-of-range theme, language and view
    // take their defaults.
    void read(QSettings& store);
    // Writes everything; the bounds only when `writeBounds` (the window is not maximised).
    void write(QSettings& store, bool writeBounds) const;

    // Clamps of the stored theme, language and view.
    static int clampTheme(int value) { return value < 0 || value > 5 ? 3 : value; }
    static int clampLanguage(int value) { return value < 0 || value > 3 ? 1 : value; }
    static int clampView(int value) { return value < 0 || value > 2 ? 1 : value; }

    // Developer mode is on when the integer "Dev" is 1.
    static bool developerMode(QSettings& store);
};
