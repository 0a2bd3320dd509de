#pragma once

#include <QtCore/QObject>

#include <functional>

#include "ui/Panel.h"

class QLabel;
class QTextEdit;
class QWidget;
class TSterownik;

// The Diagnostics tab's two boxes: the controller's errors (`PanelBledy`, in the work area),
// filled from each error-list reply, and the history (`PanelInfo`, in the bottom strip), a line for
// each fuel switch and adaptation that a live frame reports, with the oscilloscope's recorded time.
class DiagnosticBoxes : public QObject, public Panel {
    Q_OBJECT
public:
    // The errors box is made in `workArea`, the history box in `strip`; the window lays them out.
    DiagnosticBoxes(TSterownik& link, QWidget* workArea, QWidget* strip);

    QWidget* PanelBledy() const { return errorsPanel_; }
    QTextEdit* RichEditBledy() const { return errors_; }
    QWidget* PanelInfo() const { return historyPanel_; }
    QTextEdit* RichEditInfo() const { return history_; }
    // The oscilloscope's recorded time text for history lines ("0.0 [s]" while unset).
    std::function<QString()> timeText;

    // The errors box from an error-list reply (0x82).
    void ShowErrors(const LiveFrame& list);
    // A history line when `frame` reports a fuel switch or an adaptation.
    void addHistoryLine(const LiveFrame& frame);

    void relabel() override;
    void applyColours(const ThemePalette& palette) override;

private:
    TSterownik& link_;
    QWidget* errorsPanel_ = nullptr;
    QWidget* historyPanel_ = nullptr;
    QLabel* errorsTitle_ = nullptr;   // BanerBledy
    QLabel* historyTitle_ = nullptr;  // BanerInfo
    QTextEdit* errors_ = nullptr;
    QTextEdit* history_ = nullptr;
};
