#pragma once

#include <QtCore/QTimer>
#include <QtWidgets/QDialog>

class QLabel;
class QProgressBar;
class TSterownik;
struct ThemePalette;

// The firmware update's progress window: a percentage advanced by each acknowledged block and a
// watchdog that closes the window when the controller stops answering.
class TFormProg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFirstWait = 5000;  // ms before the first acknowledgement
    static constexpr int kNextWait = 1000;   // ms between acknowledgements

    explicit TFormProg(QWidget* parent = nullptr);

    // Shows the window modally (returns when it closes).
    void Run(const ThemePalette& palette, const QString& title, const QString& text);
    // Prepares and shows the window without waiting (the modal run and tests use it).
    void Start(const ThemePalette& palette, const QString& title, const QString& text);
    // Block `counter` of 224 was acknowledged.
    void BlockAcknowledged(int counter);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTimer Timer1;

protected:
    void done(int result) override;
};
