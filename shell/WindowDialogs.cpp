#include "shell/WindowDialogs.h"

#include "dialogs/Unitadmin.h"
#include "dialogs/Unitcal.h"
#include "dialogs/Unitdevice.h"
#include "dialogs/Unitinj.h"
#include "dialogs/Unitlevel.h"
#include "dialogs/Unitlogo.h"
#include "dialogs/Unitnastaw.h"
#include "dialogs/Unitparam.h"
#include "dialogs/Unitprog.h"
#include "dialogs/Unitseq.h"
#include "dialogs/Unitservice.h"
#include "settings/NamedSettings.h"
#include "settings/SettingsPages.h"
#include "ui/Panel.h"

namespace {

// Settings whose detail button opens a dialog.
constexpr int kSequenceSetting = NamedSettings::kPetrolInjectionType;
constexpr int kLevelSensorSetting = NamedSettings::kLevelSensor;
constexpr int kDetailSettings[] = {NamedSettings::kFasterSwitching, NamedSettings::kMinimumGasPressure,
                                   NamedSettings::kSwitchingSignal};

}  // namespace

WindowDialogs::WindowDialogs(QWidget* window, WorkshopSession* session, PanelList& panels)
    : QObject(window), admin_(new TFormAdmin(window)), level_(new TFormLevel(window, session)),
      inj_(new TFormInj(window, session)), seq_(new TFormSeq(window, session)), prog_(new TFormProg(window)),
      device_(new TFormDevice(window, session)), service_(new TFormService(window, session)),
      param_(new TFormParam(window, session)), nastaw_(new TFormNastaw(window, session)),
      cal_(new TFormCal(window, session)), logo_(new TFormLogo(window))
{
    // Each dialog takes the live frames only while it is shown.
    for (Panel* panel : std::initializer_list<Panel*>{level_, inj_, seq_, nastaw_, cal_, device_, service_, param_})
        panels.add(panel);
}

bool WindowDialogs::open(EditorDialog* dialog, const ThemePalette& palette)
{
    if (!dialog || dialog->isVisible()) return false;
    dialog->ApplyTheme(palette);
    return dialog->Open();
}

EditorDialog* WindowDialogs::detailDialog(int kind, int index)
{
    if (kind == SettingsPages::kInjectorCorrections) return index == 0 ? static_cast<EditorDialog*>(inj_) : cal_;
    if (kind != 0) return nullptr;
    if (index == kSequenceSetting) return seq_;
    if (index == kLevelSensorSetting) return level_;
    for (int detail : kDetailSettings)
        if (index == detail) {
            nastaw_->opening = index;
            return nastaw_;
        }
    return nullptr;
}
