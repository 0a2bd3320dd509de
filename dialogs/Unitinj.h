#pragma once

#include <array>

#include "dialogs/EditorDialog.h"
#include "settings/NamedSettings.h"

class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;

// Time corrections of the gas injectors (the settings' injector corrections), one row per injector
// the controller drives.
class TFormInj : public EditorDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 350;
    static constexpr int kClientHeight = 350;
    static constexpr int kFirstSetting = NamedSettings::kInjectorCorrections;

    explicit TFormInj(QWidget* parent = nullptr, WorkshopSession* session = nullptr);

    void Relabel() override;
    void UpDown1ChangingEx(int row, int newPosition);
    void BitBtn1Click() { accept(); }

    std::array<QLabel*, 8> Numbers{};
    std::array<QLineEdit*, 8> Edits{};
    std::array<UpDown*, 8> UpDowns{};
    std::array<QLabel*, 8> Units{};
    QPushButton* BitBtn1 = nullptr;

protected:
    bool FormShow() override;

private:
    void refresh();
};
