#include "dialogs/Unitseq.h"

#include <QtGui/QPainter>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "base/TextTable.h"
#include "dialogs/SeqGrid.h"
#include "link/Tsterownik.h"
#include "settings/NamedSettings.h"
#include "settings/SettingsCatalogue.h"

namespace {

using S = NamedSettings;

const QColor kPattern(225, 225, 225);
const QColor kCross(180, 0, 0);

QLabel* label(QWidget* parent, const QRect& r)
{
    auto* l = new QLabel(parent);
    l->setGeometry(r);
    return l;
}

}  // namespace

TFormSeq::TFormSeq(QWidget* parent, WorkshopSession* session) : EditorDialog(parent, session)
{
    setObjectName(QStringLiteral("FormSeq"));
    setFixedSize(kClientWidth, kClientHeight);
    LabelDetected = label(this, QRect(16, 12, 230, 22));
    EditDetected = makeBox(this, QRect(250, 12, 184, 22));
    LabelType = label(this, QRect(16, 48, 230, 22));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setGeometry(250, 48, 184, 22);
    LabelSwitching = label(this, QRect(16, 84, 230, 22));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setGeometry(250, 84, 184, 22);
    LabelGas = label(this, QRect(0, 128, 100, 20));
    LabelGas->setAlignment(Qt::AlignCenter);
    LabelPetrol = label(this, QRect(8, 277, 84, 16));
    LabelPetrol->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* l : {LabelGas, LabelPetrol}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    StringGrid1 = new SeqGrid(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    LabelOff = label(this, QRect(16, 420, 418, 18));
    LabelOff->setAlignment(Qt::AlignCenter);
    StringGrid2 = new SeqGrid(this);
    StringGrid2->setObjectName(QStringLiteral("StringGrid2"));
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setGeometry(179, 492, 92, 30);
    BitBtn1->setDefault(true);

    StringGrid1->OnDrawCell = [this](QPainter& p, const QRect& r, int c, int row) {
        StringGrid1DrawCell(p, r, c, row);
    };
    StringGrid1->OnSelectCell = [this](int c, int row) { StringGrid1SelectCell(c, row); };
    StringGrid2->OnDrawCell = [this](QPainter& p, const QRect& r, int c, int) { StringGrid2DrawCell(p, r, c); };
    StringGrid2->OnSelectCell = [this](int c, int) { StringGrid2SelectCell(c); };
    connect(ComboBox1, &QComboBox::activated, this, &TFormSeq::ComboBox1Click);
    connect(ComboBox2, &QComboBox::activated, this, &TFormSeq::ComboBox2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormSeq::Relabel()
{
    setWindowTitle(QStringLiteral("KAVELO - ") + TextById(1375));
    LabelDetected->setText(TextById(1376));
    LabelGas->setText(TextById(1249));
    LabelPetrol->setText(TextById(1244));
    showDetected();
    if (!Catalogue) return;
    SettingsCatalogue& cat = *Catalogue;
    LabelType->setText(cat.LabelText(S::kPetrolInjectionType));
    LabelSwitching->setText(cat.LabelText(S::kSwitchingType));
    LabelOff->setText(cat.LabelText(S::kPetrolInjectors));
    if (isVisible()) {
        fillList(ComboBox1, S::kPetrolInjectionType);
        fillList(ComboBox2, S::kSwitchingType);
    }
}

void TFormSeq::ApplyTheme(const ThemePalette& palette)
{
    EditorDialog::ApplyTheme(palette);
    for (SeqGrid* g : {StringGrid1, StringGrid2}) {
        g->lineColour = palette.editorGridLines.isValid() ? palette.editorGridLines : QColor(Qt::black);
        g->update();
    }
}

void TFormSeq::fillList(QComboBox* list, int index)
{
    SettingsCatalogue& cat = *Catalogue;
    const SettingDescriptor& d = cat.descriptor(index);
    list->clear();
    for (int v = d.min; v <= d.max; ++v) list->addItem(cat.ValueText(index, v));
    const int selected = cat.byte(index) - d.min;
    list->setCurrentIndex(selected >= 0 && selected < list->count() ? selected : -1);
}

bool TFormSeq::FormShow()
{
    if (!Catalogue || !Sterownik) return false;
    n_ = Sterownik->injectorCount;
    if (n_ != 4 && n_ != 6 && n_ != 8) return false;
    const int shift = (8 - n_) * 14;
    StringGrid1->move(96 + shift, kGridTop);
    StringGrid1->setSize(n_ + 1, n_ + 1);
    StringGrid2->move(124 + shift, 442);
    StringGrid2->setSize(n_, 1);
    LabelPetrol->move(8 + shift, 277 - shift);
    LabelGas->setGeometry(124 + shift, kGridTop - 22, n_ * SeqGrid::kPitch, 20);
    fillList(ComboBox1, S::kPetrolInjectionType);
    fillList(ComboBox2, S::kSwitchingType);
    showDetected();
    return true;
}

InjectorAssignment::State TFormSeq::state() const
{
    InjectorAssignment::State s;
    const NamedSettings settings(*Sterownik);
    s.bytes[0] = settings.petrolInjectors();
    for (int i = 1; i < 9; ++i) s.bytes[i] = settings.injectorOutputs(i - 1);
    s.enabled = Sterownik->injectorsEnabled();
    return s;
}

void TFormSeq::store(const InjectorAssignment::State& s)
{
    NamedSettings settings(*Sterownik);
    for (int i = 1; i < 9; ++i) settings.setInjectorOutputs(i - 1, s.bytes[i]);
    Sterownik->switchInjectors(s.enabled);
    Catalogue->SetValue(NamedSettings::kPetrolInjectors, s.bytes[0]);
    StringGrid1->update();
    StringGrid2->update();
}

void TFormSeq::StringGrid1SelectCell(int column, int row)
{
    if (!Catalogue || !Sterownik || column < 1 || row < 1) return;
    InjectorAssignment::State s = state();
    InjectorAssignment::ClickCell(s, column, row);
    store(s);
}

void TFormSeq::StringGrid2SelectCell(int column)
{
    if (!Catalogue || !Sterownik) return;
    InjectorAssignment::State s = state();
    InjectorAssignment::ClickSwitchOff(s, column);
    store(s);
}

void TFormSeq::ComboBox1Click(int index)
{
    if (!Catalogue || index < 0) return;
    // The catalogue rewrites settings 32..39 to the type's pattern and copies it to setting 56.
    Catalogue->SetValue(S::kPetrolInjectionType, index + Catalogue->descriptor(S::kPetrolInjectionType).min);
    ComboBox2->setCurrentIndex(index < ComboBox2->count() ? index : -1);
    StringGrid1->update();
    StringGrid2->update();
}

void TFormSeq::ComboBox2Click(int index)
{
    if (!Catalogue || index < 0) return;
    Catalogue->SetValue(S::kSwitchingType, index + Catalogue->descriptor(S::kSwitchingType).min);
    StringGrid1->update();
    StringGrid2->update();
}

void TFormSeq::drawNumber(QPainter& p, const QRect& r, int number, const QColor& colour)
{
    // Centred as a one-digit text would be, so that the numbers line up.
    const QFontMetrics fm(p.font());
    const int x = r.left() + (r.width() - fm.horizontalAdvance(QLatin1Char('0'))) / 2;
    const int y = r.top() + (r.height() + fm.ascent() - fm.descent()) / 2;
    p.setPen(colour);
    p.drawText(x, y, QString::number(number));
}

void TFormSeq::drawCross(QPainter& p, const QRect& r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kCross, 3));
    const QRect in = r.adjusted(4, 4, -4, -4);
    p.drawLine(in.topLeft(), in.bottomRight());
    p.drawLine(in.topRight(), in.bottomLeft());
    p.restore();
}

void TFormSeq::StringGrid1DrawCell(QPainter& p, const QRect& r, int column, int row)
{
    if (!Sterownik) return;
    const NamedSettings s(*Sterownik);
    p.setFont(font());
    if (column >= 1 && row >= 1) {
        p.fillRect(r, Qt::white);
        const QRect inner = r.adjusted(1, 1, -1, -1);
        const int type = s.petrolInjectionType();
        const bool pattern = (type == 0 && row == column) ||
                             (type == 1 && ((row == 1 && column % 2 == 1) || (row == 2 && column % 2 == 0))) ||
                             (type == 2 && row == 1);
        if (pattern) p.fillRect(inner, kPattern);
        if (row <= 8 && column <= 8 && (s.injectorOutputs(row - 1) >> (column - 1) & 1)) p.fillRect(inner, Qt::black);
        return;
    }
    p.fillRect(r, theme_.background.isValid() ? theme_.background : palette().color(QPalette::Window));
    if (column >= 1 && column <= 8 && (s.petrolInjectors() >> (column - 1) & 1)) drawCross(p, r);
    if (row >= 1 && row <= 8 && s.injectorOutputs(row - 1) == 0) drawCross(p, r);
    const QColor text = theme_.dialogText.isValid() ? theme_.dialogText : QColor(Qt::black);
    if (column >= 1) drawNumber(p, r, column, text);
    else if (row >= 1) drawNumber(p, r, row, text);
}

void TFormSeq::StringGrid2DrawCell(QPainter& p, const QRect& r, int column)
{
    if (!Sterownik) return;
    p.setFont(font());
    // The switch-off row is a row of fields: the theme's field and text colours, so that its numbers
    // read as well in the dark themes as in the light ones.
    p.fillRect(r, theme_.field.isValid() ? theme_.field : QColor(Qt::white));
    if (column < 8 && (NamedSettings(*Sterownik).petrolInjectors() >> column & 1)) drawCross(p, r);
    drawNumber(p, r, column + 1, theme_.text.isValid() ? theme_.text : QColor(Qt::black));
}

void TFormSeq::showDetected()
{
    QString text;
    if (detected_ == kNotDetected) text = TextById(1377);
    else if (detected_ == InjectorAssignment::kUnknown) text = QStringLiteral("?");
    else if (Catalogue) text = Catalogue->ValueText(S::kPetrolInjectionType, detected_);
    EditDetected->setText(text);
}

void TFormSeq::liveFrame(const ::LiveFrame& frame)
{
    if (isVisible()) takeFrame(frame);
}

void TFormSeq::takeFrame(const ::LiveFrame& frame)
{
    if (!Sterownik || !Catalogue) return;
    std::array<uint8_t, 8> petrol{};
    const NamedSettings settings(*Sterownik);
    for (int i = 0; i < 8; ++i) petrol[i] = settings.injectorOutputs(i);
    const int d = InjectorAssignment::Detect(frame, Sterownik->injectorCount, petrol);
    if (d == InjectorAssignment::kIgnored) return;
    detected_ = d;
    showDetected();
    StringGrid1->update();
    StringGrid2->update();
}
