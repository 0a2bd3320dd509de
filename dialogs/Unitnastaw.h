#pragma once

#include <array>

#include "dialogs/EditorDialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;

// A group of settings that belong together, chosen by the setting row it was opened from:
// fast switching with the reducer temperature (57), the gas-pressure protection (63), or the
// switch signal with its brightness and volume (96).
class TFormNastaw : public EditorDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 420;
    static constexpr int kClientHeight = 208;

    explicit TFormNastaw(QWidget* parent = nullptr, WorkshopSession* session = nullptr);

    // The setting row the next opening shows (57, 63 or 96).
    int opening = 57;

    void Relabel() override;
    void ComboBox1Click(int index);
    void UpDown1ChangingEx(UpDown* upDown, int newPosition);
    void BitBtn1Click() { accept(); }

    QComboBox* ComboBox1 = nullptr;
    std::array<QLabel*, 3> Labels{};
    std::array<QLineEdit*, 3> Edits{};
    std::array<UpDown*, 3> UpDowns{};
    QPushButton* BitBtn1 = nullptr;

protected:
    bool FormShow() override;

private:
    void arrange();
    void refresh();
};
