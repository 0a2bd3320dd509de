#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QVector>

#include <array>

#include "link/LinkEvents.h"

// What the OBD reader shows, as data that a grid, a rich-text box or the command line can display.
struct ObdPanels {
    // Status grid: fixed labels and the status text of each row.
    enum Row { RowPort, RowElm, RowPwr, RowObd, RowEcu, RowDtc, RowMil, RowCount };
    static constexpr std::array<const char*, RowCount> kLabels = {
        "PORT:", "ELM:", "PWR:", "OBD:", "ECU:", "DTC:", "MIL:"};
    std::array<QString, RowCount> status;

    // PID grid: the value column, one text per catalogue entry (row = PID number).
    QStringList pidValues;

    // Code box: one line per header, code and description.
    struct CodeLine {
        QString text;
        TColor colour = 0;
        bool defaultColour = true;  // the box's own text colour
        int table = 0;              // description table of a description line (900, 901), else 0
    };
    QVector<CodeLine> codeBox;

    // The reader's fixed texts, Polish in every language of the window: the status rows' values and
    // the code box's headings (these in English and Polish).
    static constexpr const char* kNoConnection = "brak połączenia";
    static constexpr const char* kNoAdapter = "brak interfejsu";
    static constexpr const char* kSearchingAdapter = "szukanie interfejsu";
    static constexpr const char* kNoProtocol = "brak protokołu";
    static constexpr const char* kLampOn = "zapalony";
    static constexpr const char* kLampOff = "zgaszony";
    static constexpr const char* kStoredHeading = "\tStored Trouble Codes  /  Błędy zarejestrowane :";
    static constexpr const char* kPendingHeading = "\tPending Trouble Codes  /  Błędy oczekujące :";
    static constexpr const char* kPermanentHeading = "\tPermanent Trouble Codes  /  Błędy permanentne :";

    // One of the fixed texts above in `language` (TextTable::Language), a heading then in that
    // language alone; any other text (an adapter's identification, a voltage, a protocol) as it is.
    static QString inLanguage(const QString& text, int language);
};
