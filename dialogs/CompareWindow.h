#pragma once

#include <QtWidgets/QDialog>

#include "dialogs/DiffHeatMap.h"
#include "link/MemoryImage.h"
#include "settings/ConfigDiff.h"
#include "ui/Theme.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class TSterownik;

// "Compare with file": the settings that differ between the controller's memory image and a
// settings file (left), the maps and corrections that differ (right) with a heat map of the
// selected one, and "Take from file", which copies the selected setting or region into the
// memory image and raises its write.
class CompareWindow : public QDialog {
    Q_OBJECT
public:
    CompareWindow(QWidget* parent, TSterownik& link, const MemoryImage& file, const QString& fileName,
                  const ThemePalette& palette);

    // Compares again and refills both lists.
    void Refresh();
    // Copies the selected setting or region from the file; false when nothing is selected.
    bool TakeFromFile();

    QTreeWidget* ListSettings = nullptr;
    QTreeWidget* ListRegions = nullptr;
    DiffHeatMap* HeatMap = nullptr;
    QPushButton* BtnTake = nullptr;
    QLabel* LabelSummary = nullptr;

private:
    void showRegion();
    DiffHeatMap::Axes axesOf(const ConfigDiff::Region& region) const;

    TSterownik& link_;
    MemoryImage file_;
    ThemePalette palette_;
    ConfigDiff::Result diff_;
};
