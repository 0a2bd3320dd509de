#include "scope/Toscyloskop.h"

#include <QtCore/QDir>
#include <QtCore/QLocale>
#include <QtCore/QTimer>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>

#include <algorithm>
#include <cstring>

#include "base/NumberLocale.h"
#include "base/OwnTexts.h"
#include "base/Prompt.h"
#include "base/TextTable.h"
#include "link/ChannelDecoder.h"
#include "link/OscFile.h"
#include "link/ScopeCsv.h"
#include "link/SettingsFileOps.h"
#include "link/Tsterownik.h"
#include "scope/ScopeGeometry.h"
#include "scope/ScopeGlyphs.h"

TScope* Scope = nullptr;

namespace {

constexpr int kDrawnFlags = 0x10;
constexpr int kTextSecPerDiv = 1062;
constexpr int kTextSec = 1055;
constexpr int kTextCsvTitle = 1107;
constexpr int kTextAllFiles = 1110;
constexpr int kTextCsvFiles = 1113;
const QString kPad = QString(26, QLatin1Char(' '));

QColor colourOf(TColor c) { return QColor(int(c >> 16) & 255, int(c >> 8) & 255, int(c) & 255); }

QString general(double v) { return NumberLocale().toString(v, 'g', 15); }
QString tenths(qint64 samples) { return NumberLocale().toString(samples * 0.1, 'f', 1); }

QFont sized(const QFont& base, int points, bool bold)
{
    QFont f = base;
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

// Text whose top-left corner is at (x, y), as the product places its texts.
void textAt(QPainter& p, int x, int y, const QString& text) { p.drawText(x, y + p.fontMetrics().ascent(), text); }
// Text that ends at x.
void textEndingAt(QPainter& p, int x, int y, const QString& text)
{
    textAt(p, x - p.fontMetrics().horizontalAdvance(text), y, text);
}

}  // namespace

TScope::TScope(QWidget* owner)
    : QWidget(owner), buffer_(new uint8_t[static_cast<size_t>(kBufferSamples) * kSampleSize]())
{
    setObjectName(QStringLiteral("Scope"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    samplesPerPixel = ScopeGeometry::kSamplesPerPixel[static_cast<size_t>(timeBase)];
    pictures_ = {ScopeGlyphs::picture(ScopeGlyphs::Play), ScopeGlyphs::picture(ScopeGlyphs::Pause),
                 ScopeGlyphs::picture(ScopeGlyphs::Stop), ScopeGlyphs::picture(ScopeGlyphs::Read),
                 ScopeGlyphs::picture(ScopeGlyphs::Record)};
    hide();
}

TScope::~TScope()
{
    if (Scope == this) Scope = nullptr;
}

void TScope::setColours(const QColor& cursor, const QColor& plot, const QColor& frame, const QColor& grid,
                        const QColor& background, const QColor& text)
{
    cursorColour_ = cursor;
    plotColour_ = plot;
    frameColour_ = frame;
    gridColour_ = grid;
    background_ = background;
    textColour_ = text;
}

void TScope::samplesChanged() { cache_.clear(); }

QString TScope::TimeText(qint64 samples) { return tenths(samples) + QStringLiteral(" [s]"); }
QString TScope::RecordedTimeText() const { return TimeText(sampleCount); }

int TScope::stateWord(int sample) const
{
    if (!link || link->channels().isEmpty()) return 0;
    return ChannelDecoder::value(ChannelDecoder::channelOf(link->channels()[0]), buffer_.get(), sample, 0);
}

// ---------------------------------------------------------------- commands and samples

void TScope::Command(int code)
{
    switch (code) {
        case 1: state = Play; break;
        case 2: state = Pause; break;
        case 3:
            state = Stop;
            if (recorder) recorder->restart();
            // Nothing more is collected, so a recording open to a file ends here, and its mark goes.
            if (link && link->RecordingOpen()) link->ZamnkijOscyloskop();
            break;
        case 4:
            if (!link) break;
            notice_.clear();
            if (state == Read || link->RecordingOpen()) {
                link->ZamnkijOscyloskop();
            } else if (prompt) {
                // The file starts with the samples the buffer holds (those since the last clear or
                // the last wrap of the buffer), so its first seconds lie before the press: say so.
                const int held = std::clamp(sampleCount, 0, kBufferSamples);
                link->ZapiszOscyloskop(*prompt, buffer_.get(), held);
                if (link->RecordingOpen())
                    notice_ = held > 0 ? TextById(OwnText::RecordingStarted).arg(held)
                                       : TextById(OwnText::RecordingStartedEmpty);
            }
            appendFailed_ = false;
            break;
        case 5: {
            if (!link || !prompt) break;
            link->ZamnkijOscyloskop();
            const int n = link->CzytajOscyloskop(*prompt, buffer_.get());
            if (recorder) recorder->restart();
            if (n > 0) {
                sampleCount = n;
                windowEnd = n;
                cache_.clear();
            }
            state = Read;
            break;
        }
        case 6:
            std::memset(buffer_.get(), 0, static_cast<size_t>(kBufferSamples) * kSampleSize);
            if (recorder) recorder->restart();
            cache_.clear();
            sampleCount = 0;
            windowStart = 0;
            break;
        case 7: ExportCsv(); break;
        case 10:
        case 11:
        case 12: layout = code - 9; break;
        case 20:
            if (timeBase > 0) --timeBase;
            samplesPerPixel = ScopeGeometry::kSamplesPerPixel[static_cast<size_t>(timeBase)];
            break;
        case 21:
            if (timeBase < 8) ++timeBase;
            samplesPerPixel = ScopeGeometry::kSamplesPerPixel[static_cast<size_t>(timeBase)];
            break;
        default: break;
    }
    Draw(0);
}

void TScope::AddSample(const uint8_t* frame)
{
    if (state != Play && state != Pause) return;
    storeSample(frame);
    Draw(state == Play ? 0 : 2);
}

void TScope::AddLiveFrame(const LiveFrame& frame)
{
    if (state != Play && state != Pause) {
        if (recorder) recorder->restart();  // the time in Stop is not filled when Play comes back
        return;
    }
    bool stored = false;
    const auto store = [&](const LiveFrame& sample) {
        storeSample(sample.data());
        stored = true;
    };
    if (recorder) recorder->place(frame, store);
    else store(frame);
    if (stored) Draw(state == Play ? 0 : 2);
}

void TScope::storeSample(const uint8_t* frame)
{
    // A full recording loaded leaves the count at 36000: the next sample starts over at slot 0.
    if (sampleCount >= kBufferSamples || sampleCount < 0) sampleCount = 0;
    std::memcpy(buffer_.get() + static_cast<size_t>(sampleCount) * kSampleSize, frame, kSampleSize);
    cache_.slotChanged(sampleCount, buffer_.get());
    if (link && link->DopiszOscyloskop(buffer_.get(), sampleCount) != 0 && !appendFailed_) {
        appendFailed_ = true;
        // Shown after the link's tick, so that polling is not held up by the box.
        if (prompt) QTimer::singleShot(0, this, [this] { prompt->errorCode(OscFile::AppendFailed); });
    }
    if (++sampleCount >= kBufferSamples) sampleCount = 0;
}

void TScope::ExportCsv()
{
    if (!link || !prompt) return;
    Prompt::FileDialog d;
    d.title = TextById(kTextCsvTitle);
    d.filter = TextById(kTextCsvFiles) + QStringLiteral(" (*.csv)|*.csv|") + TextById(kTextAllFiles) +
               QStringLiteral(" (*.*)|*.*");
    d.filterIndex = 1;
    d.defaultExtension = QStringLiteral("csv");
    // The export starts in the documents' Scope folder, made when it is not there yet, rather than in
    // whatever folder the program was started from.
    if (!link->documentsFolder.isEmpty()) {
        const QString folder = link->documentsFolder + QStringLiteral("/ORVA/Kavelo II/Scope");
        if (QDir().mkpath(folder)) d.folder = folder;
    }
    const QString path = prompt->saveFileName(d);
    if (path.isEmpty()) return;
    const int count = std::clamp(sampleCount, 0, static_cast<int>(kBufferSamples));
    if (const int result = ScopeCsv::save(path, link->channelTable(), buffer_.get(), count)) prompt->errorCode(result);
}

// ---------------------------------------------------------------- labels

QString TScope::channelLabel(int c, int b)
{
    if (!link || c < 0 || c >= link->channels().size()) return kPad;
    const TWykres& w = link->channels()[c];
    QString text = TextById(w.id >= 1400 && w.id <= 1440 ? w.id + 1 : w.id);
    if (b >= 0) {
        text += QLatin1Char('=');
        const int raw = ChannelDecoder::value(ChannelDecoder::channelOf(w), buffer_.get(), b, 0);
        if (w.type == 23) {
            // The read-out leaves an unknown fuel-system status blank.
            const QLatin1String status(ChannelDecoder::fuelSystemText(raw));
            if (status != QLatin1String("-")) text += QLatin1Char(' ') + status;
        } else {
            const double v = raw * w.scale;
            if (w.decimals == 0) text += general(v);
            else if (w.decimals >= 1 && w.decimals <= 3) text += NumberLocale().toString(v, 'f', w.decimals);
        }
    }
    return text + kPad;
}

// ---------------------------------------------------------------- drawing

void TScope::Draw(int mode)
{
    if (!isVisible()) return;
    const int W = width(), H = height();
    if (W <= 0 || H <= 0) return;
    const int s = ScopeGeometry::traceWidth(W);
    if (state == Play) windowEnd = sampleCount;
    windowStart = ScopeGeometry::windowStart(windowEnd, s, samplesPerPixel);

    const bool full = mode != 2 || bitmap_.size() != size();
    if (bitmap_.size() != size()) bitmap_ = QImage(size(), QImage::Format_RGB32);
    QPainter p(&bitmap_);
    if (full) {
        // The trace area is filled by its own rectangle; only the bands around it take the background.
        p.fillRect(QRect(0, 0, W, 40), background_);
        p.fillRect(QRect(0, H - 40, W, 40), background_);
        p.fillRect(QRect(0, 40, 10, H - 80), background_);
        p.fillRect(QRect(W - 110, 40, 110, H - 80), background_);
        renderTop(p, W);
        renderBody(p, W, H);
        drawNotice(p, H);
        p.end();
        topOnly_ = false;
        // A full draw wipes the read-out cursor.
        cursorX = -1;
        update();
    } else {
        // Pause: the traces stay frozen while the overview and the symbols follow the recording.
        p.fillRect(QRect(0, 0, W, 40), background_);
        renderTop(p, W);
        p.end();
        topOnly_ = true;
        update(QRect(0, 0, W, 40));
    }
}

QString TScope::recordingNotice() const { return link && link->RecordingOpen() ? notice_ : QString(); }

void TScope::drawNotice(QPainter& p, int H)
{
    // The notice belongs to the recording it announced: it goes when that recording ends.
    if (!link || !link->RecordingOpen()) notice_.clear();
    if (notice_.isEmpty()) return;
    p.setPen(textColour_);
    p.setFont(sized(font(), 8, false));
    textAt(p, 10, H - 20, notice_);
}

void TScope::renderTop(QPainter& p, int W)
{
    const int s = ScopeGeometry::traceWidth(W);
    p.setPen(frameColour_);
    p.setBrush(background_);
    p.drawRect(QRect(QPoint(10, 8), QPoint(W - 110, 32)).adjusted(0, 0, -1, -1));
    const int picture = state == Play ? 0 : state == Pause ? 1 : state == Stop ? 2 : 3;
    p.drawImage(W - 27, 8, pictures_[static_cast<size_t>(picture)]);
    if (link && link->RecordingOpen()) p.drawImage(W - 55, 8, pictures_[4]);
    if (!link || link->channels().size() < 2 || s < 2) return;

    // Overview of the whole recording: engine speed, coloured by the work state; each run of one
    // colour is stroked from the last point of the run before it.
    const ChannelDecoder::Channel state0 = ChannelDecoder::channelOf(link->channels()[0]);
    const ChannelDecoder::Channel rpm = ChannelDecoder::channelOf(link->channels()[1]);
    const uint8_t* buf = buffer_.get();
    overview_.resize(static_cast<size_t>(s));
    int runStart = 1;
    TColor runColour = 0;
    for (int w = 1; w < s; ++w) {
        const int B = ScopeGeometry::overviewSample(sampleCount, w, s);
        const TColor c = link->KolorStanuPracy(ChannelDecoder::value(state0, buf, B, 0));
        overview_[static_cast<size_t>(w)] = 30 - ChannelDecoder::value(rpm, buf, B, 20);
        if (w == 1) {
            runColour = c;
        } else if (c != runColour) {
            ScopeTraces::strokeColumns(bitmap_, colourOf(runColour).rgb(), overview_.data(), overview_.data(), runStart,
                                       w - 1);
            runStart = w;
            runColour = c;
        }
    }
    ScopeTraces::strokeColumns(bitmap_, colourOf(runColour).rgb(), overview_.data(), overview_.data(), runStart, s - 1);

    if (sampleCount > 10 && state != Play) {
        p.setPen(QPen(QColor(0, 0, 255), 3));
        p.setBrush(Qt::NoBrush);
        const int x1 = ScopeGeometry::markerLeft(s, windowStart, sampleCount);
        const int x2 = ScopeGeometry::markerRight(s, windowEnd, sampleCount);
        p.drawRoundedRect(QRect(QPoint(x1, 4), QPoint(x2, 36)), 3, 3);
    }
}

void TScope::renderBody(QPainter& p, int W, int H)
{
    const int s = ScopeGeometry::traceWidth(W);
    p.setPen(frameColour_);
    p.setBrush(plotColour_);
    p.drawRect(QRect(QPoint(10, 40), QPoint(W - 110, H - 40)).adjusted(0, 0, -1, -1));
    // Too low for a strip: only the frame.
    if (H < 98) return;
    QPen dotted(gridColour_, 1, Qt::DotLine);
    p.setPen(dotted);
    for (int x = 60; x < s; x += 50) p.drawLine(x, 40, x, H - 40);
    if (!link || link->channels().isEmpty()) return;

    const int n = link->PodajIleParamBiez(kDrawnFlags);
    const ScopeGeometry::Strips strips = ScopeGeometry::strips(layout, H, n);
    p.setPen(dotted);
    for (int y = strips.G; y < H - 40; y += strips.E) p.drawLine(10, y, W - 110, y);
    drawTraces(p, W, H, strips.E, strips.G, s);

    // Work-state bar: runs of one colour drawn as one bar.
    const double spp = samplesPerPixel;
    int runStart = 11;
    TColor runColour = 0;
    bool haveRun = false;
    int lastSample = -1;
    for (int K = 1; K < s; K = ScopeGeometry::nextColumn(K, spp)) {
        lastSample = static_cast<int>(K * spp + windowStart);
        const TColor c = link->KolorStanuPracy(stateWord(lastSample));
        if (!haveRun) {
            runColour = c;
            haveRun = true;
        } else if (c != runColour) {
            p.fillRect(QRect(runStart - 1, H - 47, K + 10 - runStart + 2, 4), colourOf(runColour));
            runStart = K + 10;
            runColour = c;
        }
        if (ScopeGeometry::nextColumn(K, spp) >= s)
            p.fillRect(QRect(runStart - 1, H - 47, K + 10 - runStart + 2, 4), colourOf(runColour));
    }

    p.setPen(textColour_);
    p.setFont(sized(font(), 8, false));
    textAt(p, 10, H - 40,
           general(samplesPerPixel * 5) + QLatin1Char(' ') + TextById(kTextSecPerDiv) + QStringLiteral("     "));
    textEndingAt(p, W - 110, H - 40, tenths(windowEnd) + QLatin1Char(' ') + TextById(kTextSec));
    p.setFont(sized(font(), 8, true));
    textAt(p, W - 108, H - 52, link->StrStanPracy(stateWord(lastSample), 0));
}

void TScope::drawTraces(QPainter& p, int W, int H, int E, int G, int s)
{
    const int n = link->PodajIleParamBiez(kDrawnFlags);
    labelRows.resize(static_cast<size_t>(link->channels().size()), 0);
    const double spp = samplesPerPixel;
    const size_t columns = static_cast<size_t>(std::max(s, 2));
    lo_.resize(columns);
    hi_.resize(columns);
    first_.resize(columns);
    second_.resize(columns);
    p.setFont(sized(font(), 10, true));
    p.setBackgroundMode(Qt::TransparentMode);
    const int last = sampleCount - 1;
    std::vector<int> drawn, rows;  // the channels drawn and the rows of their labels
    for (int k = 0; k < n; ++k) {
        const int I = link->PodajPozycje(kDrawnFlags, k);
        if (I < 0 || I >= link->channels().size()) continue;
        const TWykres& w = link->channels()[I];
        const QColor colour = colourOf(w.colour);
        if (layout == 2) G = ScopeGeometry::fourStripBaseline(I, E, G);
        const int16_t* heights = cache_.heights(I, ChannelDecoder::channelOf(w), E, buffer_.get());
        int lastY = G;
        if (spp <= 1 && s > 1) {
            // One point per sample, 1 / spp columns apart, joined by straight lines drawn column by
            // column with the same 2-pixel strokes as the min-max traces.
            const auto y = [&](int K) {
                const int i = static_cast<int>(K * spp + windowStart);
                return std::max(G - (i >= 0 && i < kBufferSamples ? heights[i] : 0), 40);
            };
            int K = 1;
            first_[1] = y(1);
            for (int next = ScopeGeometry::nextColumn(K, spp); next < s; next = ScopeGeometry::nextColumn(K, spp)) {
                first_[static_cast<size_t>(next)] = y(next);
                ScopeTraces::joinColumns(first_.data(), K, next);
                K = next;
            }
            ScopeTraces::strokeColumns(bitmap_, colour.rgb(), first_.data(), first_.data(), 1, K);
            lastY = first_[static_cast<size_t>(K)];
        } else if (s > 1) {
            ScopeTraces::columnExtremes(heights, windowStart, spp, s, lo_.data(), hi_.data());
            for (int K = 1; K < s; ++K) {
                first_[static_cast<size_t>(K)] = std::max(G - lo_[static_cast<size_t>(K)], 40);
                second_[static_cast<size_t>(K)] = std::max(G - hi_[static_cast<size_t>(K)], 40);
            }
            ScopeTraces::strokeColumns(bitmap_, colour.rgb(), first_.data(), second_.data(), 1, s - 1);
            lastY = second_[static_cast<size_t>(s - 1)];
        }
        int labelY = G - 8;
        if (layout == 1) labelY = lastY - 8;
        else if (layout == 2) labelY = ScopeGeometry::fourStripLabelY(I, G);
        drawn.push_back(I);
        rows.push_back(labelY);
        if (layout == 3) G += E;
    }
    // Traces that end close together (one area in layout 1, the shared strip of layout 2) would put
    // their labels over each other: they are moved apart, above the work-state text.
    const int line = p.fontMetrics().height();
    rows = ScopeGeometry::spreadLabels(rows, line, 40, H - 52 - line);
    for (size_t k = 0; k < drawn.size(); ++k) {
        const int I = drawn[k];
        p.setPen(colourOf(link->channels()[I].colour));
        textAt(p, W - 108, rows[k], channelLabel(I, last));
        labelRows[static_cast<size_t>(I)] = rows[k];
    }
}

// ---------------------------------------------------------------- screen, cursor and mouse

QRect TScope::cursorStrip(int x) const { return QRect(x - 1, 40, 3, height() - 80); }

void TScope::paintEvent(QPaintEvent* event)
{
    if (bitmap_.size() != size()) {
        Draw(0);  // a new size: drawn again in full, the cursor forgotten
    } else if (topOnly_ && !QRect(0, 0, width(), 40).contains(event->rect())) {
        // After the Pause refresh of the top rows the rest is drawn again; the cursor the fitter
        // is moving stays.
        const int keep = cursorX;
        Draw(0);
        cursorX = keep;
    }
    QPainter p(this);
    p.drawImage(event->rect(), bitmap_, event->rect());
    if (cursorX < 0 || !link) return;

    // The read-out cursor and its texts, over the bitmap.
    const int W = width(), H = height();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(cursorColour_, 1));
    p.drawLine(cursorX, 40, cursorX, H - 40);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const int a = ScopeGeometry::cursorSample(cursorX, samplesPerPixel, windowStart);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(background_);
    p.setPen(textColour_);
    p.setFont(sized(font(), 8, false));
    textEndingAt(p, W - 110, H - 40, kPad + (a >= 0 ? TimeText(a) : QString()));
    p.setFont(sized(font(), 8, true));
    textAt(p, W - 108, H - 52, (a >= 0 ? link->StrStanPracy(stateWord(a), 0) : QString()) + kPad);
    p.setFont(sized(font(), 10, true));
    const int n = link->PodajIleParamBiez(kDrawnFlags);
    for (int k = 0; k < n; ++k) {
        const int I = link->PodajPozycje(kDrawnFlags, k);
        if (I < 0 || I >= static_cast<int>(labelRows.size())) continue;
        p.setPen(colourOf(link->channels()[I].colour));
        textAt(p, W - 108, labelRows[static_cast<size_t>(I)], channelLabel(I, a));
    }
}

void TScope::hideEvent(QHideEvent* event)
{
    // Another tab: the cursor is gone when the oscilloscope comes back.
    cursorX = -1;
    QWidget::hideEvent(event);
}

void TScope::mouseMoveEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x(), y = event->position().toPoint().y();
    const int W = width(), H = height();
    if (state == Play || x <= 10 || x >= W - 110 || y <= 40 || y >= H - 40) return;
    // Only the strips under the old and the new cursor and the read-out texts are repainted.
    if (cursorX >= 0) update(cursorStrip(cursorX));
    cursorX = x;
    update(cursorStrip(x));
    update(QRect(W - 110, 0, 110, H));
    update(QRect(0, H - 40, W, 40));
}

void TScope::mousePressEvent(QMouseEvent* event)
{
    pressX = event->position().toPoint().x();
    pressY = event->position().toPoint().y();
}

void TScope::mouseReleaseEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x(), y = event->position().toPoint().y();
    const int W = width();
    if (state == Play || pressX <= 0 || pressY <= 0) return;
    if (x <= 10 || x >= W - 110 || y >= 40) return;
    const int b = ScopeGeometry::overviewClickSample(x, sampleCount, W);
    windowEnd = ScopeGeometry::windowEndAfterClick(b, windowStart, windowEnd, sampleCount);
    Draw(0);
}
