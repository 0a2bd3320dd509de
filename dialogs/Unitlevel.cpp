#include "dialogs/Unitlevel.h"

#include <QtCore/QLocale>
#include <QtGui/QPainter>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "base/TextTable.h"
#include "dialogs/LevelSensor.h"
#include "link/Tsterownik.h"
#include "settings/NamedSettings.h"
#include "settings/SettingsCatalogue.h"
#include "ui/UpDown.h"

namespace {

// The setting this dialog edits: the gas level sensor's type.
constexpr int kLevelSensor = NamedSettings::kLevelSensor;
constexpr int kLedLeft = 24;
constexpr int kLedTop = 24;
constexpr int kLedWidth = 57;
constexpr int kLedHeight = 49;
constexpr int kLedPitch = 60;

}  // namespace

TFormLevel::TFormLevel(QWidget* parent, WorkshopSession* session) : EditorDialog(parent, session)
{
    setObjectName(QStringLiteral("FormLevel"));
    setFixedSize(kClientWidth, kClientHeight);
    leds_.fill(LevelSensor::kLedOff);

    LabelType = new QLabel(this);
    LabelType->setGeometry(300, 24, 280, 20);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setGeometry(300, 46, 280, 24);
    for (int i = 0; i < 4; ++i) {
        const int y = ledRect(i).center().y() - 11;
        Edits[i] = makeBox(this, QRect(100, y, 72, 22));
        UpDowns[i] = new UpDown(Qt::Vertical, this);
        UpDowns[i]->setGeometry(172, y, 17, 22);
        UpDowns[i]->setRange(0, 255);
        UpDowns[i]->tag = NamedSettings::kLevelThresholds + i;
        UpDown* u = UpDowns[i];
        u->setBuddy(Edits[i], [this, u](int raw) { return shownValue(u->tag, raw); });
        connect(u, &UpDown::ChangingEx, this, [this, u](int position) { UpDown4ChangingEx(u, position); });
    }
    LabelVoltage = new QLabel(this);
    LabelVoltage->setGeometry(300, 150, 280, 20);
    EditVoltage = makeBox(this, QRect(300, 172, 72, 24));
    QFont bold = EditVoltage->font();
    bold.setBold(true);
    EditVoltage->setFont(bold);
    LabelV = new QLabel(this);
    LabelV->setGeometry(380, 174, 60, 20);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setGeometry(488, 354, 92, 30);
    BitBtn1->setDefault(true);

    typeTimer_.setSingleShot(true);
    typeTimer_.setInterval(kTypeWait);
    connect(&typeTimer_, &QTimer::timeout, this, &TFormLevel::TypeChangeDone);
    connect(ComboBox1, &QComboBox::activated, this, &TFormLevel::ComboBox1Change);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormLevel::BitBtn1Click);
}

QRect TFormLevel::ledRect(int i) const { return QRect(kLedLeft, kLedTop + i * kLedPitch, kLedWidth, kLedHeight); }

void TFormLevel::Relabel()
{
    setWindowTitle(QStringLiteral("KAVELO - ") + TextById(1372));
    LabelVoltage->setText(TextById(1373));
    LabelV->setText(TextById(1050));
    if (!Catalogue) return;
    SettingsCatalogue& cat = *Catalogue;
    LabelType->setText(cat.LabelText(kLevelSensor));
    if (isVisible()) {
        const SettingDescriptor& d = cat.descriptor(kLevelSensor);
        for (int v = d.min; v <= d.max && v - d.min < ComboBox1->count(); ++v)
            ComboBox1->setItemText(v - d.min, cat.ValueText(kLevelSensor, v));
        refresh();
    }
}

bool TFormLevel::FormShow()
{
    if (!Catalogue || !Sterownik) return false;
    Sterownik->holdLiveRequest(kLiveRequestLevelSensor);
    lastLeds_ = kNothingDrawn;
    lastVoltage_ = kNothingDrawn;
    SettingsCatalogue& cat = *Catalogue;
    const SettingDescriptor& d = cat.descriptor(kLevelSensor);
    ComboBox1->clear();
    for (int v = d.min; v <= d.max; ++v) ComboBox1->addItem(cat.ValueText(kLevelSensor, v));
    const int selected = cat.byte(kLevelSensor) - d.min;
    ComboBox1->setCurrentIndex(selected >= 0 && selected < ComboBox1->count() ? selected : -1);
    leds_.fill(LevelSensor::kLedOff);
    update();
    for (UpDown* u : UpDowns) u->setPosition(cat.byte(u->tag));
    refresh();
    return true;
}

void TFormLevel::done(int result)
{
    FormClose();
    EditorDialog::done(result);
}

void TFormLevel::FormClose()
{
    typeTimer_.stop();
    if (Sterownik) Sterownik->releaseLiveRequest(kLiveRequestLevelSensor);
}

void TFormLevel::ComboBox1Change(int index)
{
    if (!Catalogue || index < 0) return;
    // The catalogue resets the thresholds to the type's defaults; the up-downs follow after a
    // short wait, taken from a timer so that nothing blocks meanwhile.
    Catalogue->SetValue(kLevelSensor, index + Catalogue->descriptor(kLevelSensor).min);
    typeTimer_.start();
}

void TFormLevel::TypeChangeDone()
{
    if (!Catalogue) return;
    for (UpDown* u : UpDowns) u->setPosition(Catalogue->byte(u->tag));
    refresh();
}

void TFormLevel::UpDown4ChangingEx(UpDown* upDown, int newPosition)
{
    if (!Catalogue) return;
    SettingsCatalogue& cat = *Catalogue;
    if (newPosition != cat.byte(upDown->tag)) cat.SetValue(upDown->tag, newPosition);
    refresh();
}

void TFormLevel::refresh()
{
    if (!Catalogue) return;
    SettingsCatalogue& cat = *Catalogue;
    std::array<uint8_t, 4> t{};
    for (int i = 0; i < 4; ++i) {
        Edits[i]->setText(cat.ValueText(NamedSettings::kLevelThresholds + i));
        t[i] = static_cast<uint8_t>(cat.byte(NamedSettings::kLevelThresholds + i));
    }
    const int red = LevelSensor::OutOfOrder(cat.byte(kLevelSensor), t);
    for (int i = 0; i < 4; ++i) {
        QPalette p = Edits[i]->palette();
        // The theme's field colours (white boxes with black text only in the light themes); a threshold
        // out of order stays red.
        const QColor text = theme().text.isValid() ? theme().text : QColor(0, 0, 0);
        p.setColor(QPalette::Text, red >> i & 1 ? QColor(255, 0, 0) : text);
        p.setColor(QPalette::Base, theme().field.isValid() ? theme().field : QColor(Qt::white));
        Edits[i]->setPalette(p);
    }
}

void TFormLevel::liveFrame(const ::LiveFrame& frame)
{
    if (isVisible()) takeFrame(frame);
}

void TFormLevel::takeFrame(const ::LiveFrame& frame)
{
    // A reply too short to carry a reading leaves what the dialog shows of it.
    if (frame.reaches(::LiveFrame::Reach::SwitchLeds) && frame.levelLeds() != lastLeds_) {
        lastLeds_ = frame.levelLeds();
        leds_ = LevelSensor::Leds(frame.switchLeds());
        update(QRect(kLedLeft, kLedTop, kLedWidth, 5 * kLedPitch));
    }
    if (frame.reaches(::LiveFrame::Reach::LevelSensor) && frame.levelSensor() != lastVoltage_) {
        lastVoltage_ = frame.levelSensor();
        EditVoltage->setText(QLocale().toString(lastVoltage_ * 0.02, 'f', 2));
    }
}

void TFormLevel::paintEvent(QPaintEvent* event)
{
    EditorDialog::paintEvent(event);
    QPainter p(this);
    for (int i = 0; i < 5; ++i) p.fillRect(ledRect(i), leds_[i]);
}
