#pragma once

#include <QtCore/QPointer>
#include <QtCore/QRect>
#include <QtCore/QTimer>

#include "charts/GridGeometry.h"
#include "charts/TableGrid.h"

class QWidget;

// The two grids the table views share, with the state that outlives a view change: the map grid
// (the learned or OBD maps above the RPM correction table) and the table grid (the editable table).
// Both are created on the chart's panel when a table view is first built and then only hidden,
// shown and laid out again.
struct TableGrids {
    QPointer<TableGrid> map;
    QPointer<TableGrid> table;
    // Which map the map grid shows: 0 petrol, 1 gas, 2 difference.
    int mapView = 2;
    // Live cells (RPM cell, load cell) of both grids; -1 for none.
    int mapLiveC = -1, mapLiveL = -1;
    int tableLiveC = -1, tableLiveL = -1;
    // The header cell being typed into, invalid for none.
    GridGeometry::Cell editedHeader;
    // The view whose handlers the grids follow.
    int owner = -1;
    // The 200 ms wait between the write of a switched load axis and the re-read of the tables.
    QPointer<QTimer> axisReread;

    ~TableGrids()
    {
        delete map.data();
        delete table.data();
    }
    void hide()
    {
        if (map) map->hide();
        if (table) table->hide();
    }
};
