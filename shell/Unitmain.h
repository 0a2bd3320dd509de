#pragma once

#include <QtWidgets/QMainWindow>

class TSterownik;

// The main window: owns the controller link and shows the controller's state.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Text of `id` in the current language.
    static QString TextById(int id);

    TSterownik* Sterownik1 = nullptr;

    // Port numbers given on the command line for this run (0 = the remembered ones).
    int portOverride = 0;
    int elmPortOverride = 0;

    void FormShow();

private:
    void LinkEvent(int kind, int code, int value, int length);
    void updateCaption();

    QString baseCaption_;
};
