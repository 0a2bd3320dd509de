#pragma once

#include <QtCore/QString>

#include <array>
#include <cstdint>
#include <functional>

#include "link/MemoryImage.h"
#include "settings/ShownValue.h"

class SettingsActions;

// How one settings byte is labelled, shown, limited and reset.
struct SettingDescriptor {
    int label = 0;                  // language text ID, 0 = unlabelled
    std::array<int, 10> options{};  // text IDs of the option texts for raw values 0..9, 0 = none
    uint8_t max = 0;
    uint8_t def = 0;
    uint8_t min = 0;
    uint8_t kind = 0;  // high nibble class, low nibble decimals
    double scale = 0;
    uint8_t unit = 0;  // 0 none, 1..8 the unit text 1049 + unit

    int cls() const { return kind & 0xF0; }
    int decimals() const { return kind & 0x0F; }
};

// Classes of the high nibble of SettingDescriptor::kind.
enum SettingClass {
    kClassNumber = 0x10,
    kClassSigned = 0x20,  // shown as (raw - 128) x scale
    kClassYesNo = 0x70,
    kClassList = 0x80,
    kClassBits = 0x90,     // a number, used for the bit-set byte 80
    kClassHeader = 0xA0,   // a header row, shown as "-"
    kClassObdCode = 0xB0,  // a number, used for the OBD error-code cells
};

// The settings catalogue: one descriptor per settings index (0..255 in the controller, 256..303 in
// reserved block B) and the rules for showing and changing a setting. It works on a memory image
// (the link's, a file's) and asks for the settings write and what a change sets off through its
// SettingsActions (the link; none for a file); the settings editor owns one and tells it which page
// and view level are shown, since some refusals depend on them.
class SettingsCatalogue {
public:
    static constexpr int kIndexCount = 304;
    // Settings 0..255 are the controller's; from here on they are kept by the PC only.
    static constexpr int kControllerCount = 256;

    SettingsCatalogue(MemoryImage& image, SettingsActions* actions);

    // Clears descriptors 0..255 and registers the program's table.
    void RegisterSettings();
    // Stores one descriptor; `options` may be null (no option texts). Ignored outside 0..303.
    void DefineSetting(int index, int label, const int options[10], int max, int def, int min, int kind, double scale,
                       int unit);
    // Sets settings bytes 0..303 to their descriptors' defaults; queues nothing.
    void LoadDefaults();

    QString LabelText(int index) const;
    // Unit text of the index ("[V]", "[ms]", ...), empty without a unit.
    QString UnitText(int index) const;
    // Shown value of `raw`, or of the current settings byte when raw is -1. Showing a list value
    // outside its limits corrects the byte through SetValue (and so queues a write).
    QString ValueText(int index, int raw = -1);
    // How `index` is shown, for reading a typed value back into its byte (ShownValue::parse):
    // numbers with their scale and offset, list and yes/no settings with their shown texts.
    ShownValue::Rule ShownRule(int index);
    // The regions a change of `index` writes (write-request mask bits): the settings block, and the
    // multiplier banks when switching the adaptation off folds the learned values into them. They
    // have to be read from the controller before the change is made.
    static uint32_t ChangeWrites(int index);
    // Changes a setting: refusals (with a beep), the clamp, the dependent settings and the write
    // request. Returns false when refused; nothing has changed then.
    bool SetValue(int index, int raw);

    // True when the dependencies on setting 1 forbid editing `index` (the editor draws it disabled).
    bool IsLocked(int index) const;
    // True when SetValue would refuse `index` now: locked, or the calibration page at view level 0.
    bool Refuses(int index) const;

    // The editor's page and view level; without an editor they stay page 0 at level 1.
    void setView(int page, int viewLevel);
    int page() const { return page_; }
    int viewLevel() const { return viewLevel_; }

    const SettingDescriptor& descriptor(int index) const;
    // Current byte of `index` (settings block or reserved block B); 0 outside 0..303.
    int byte(int index) const;

    // The system beep on a refusal, and the editor's repaint after a change. Unassigned: not called.
    std::function<void()> OnBeep;
    std::function<void()> OnRepaint;

private:
    void resetLoadBreakpoints();
    void applySideEffects(int index, int value);
    // What the shown number of `index` adds to (raw - bias) x scale.
    double shownOffset(int index) const;
    uint8_t* bytes();

    MemoryImage& image_;
    SettingsActions* actions_;
    std::array<SettingDescriptor, kIndexCount> descriptors_{};
    int page_ = 0;
    int viewLevel_ = 1;
};
