#pragma once

#include <QtWidgets/QDialog>

#include "link/LinkEvents.h"

class QTextEdit;

// The transmission log: the coloured protocol lines of the controller link and of the OBD reader,
// beside the main window while "Transmisja" is ticked. It stays on top, scrolls to its last line
// after each one, and a double click empties it.
class TFormAdmin : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 643;
    static constexpr int kClientHeight = 304;

    explicit TFormAdmin(QWidget* parent = nullptr);

    // Appends `text` as one line in `colour`; ignored while the window is hidden (nothing is kept).
    void AddLine(const QString& text, TColor colour);
    void RichEdit1Change();
    void RichEdit1DblClick();
    // Shows the window centred on `owner`.
    void showCentredOn(QWidget* owner);

    QTextEdit* RichEdit1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
