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
};
