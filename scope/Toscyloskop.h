#pragma once

#include <QtGui/QColor>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "link/LiveFrame.h"
#include "link/LiveRecorder.h"
#include "scope/ScopeTraces.h"

class Prompt;
class TSterownik;

// The oscilloscope: records the live-data replies as 128-byte samples in a one-hour ring buffer
// and draws them as traces over time, with an overview strip of the whole recording, the work-state
// bar, a read-out cursor, nine time bases and three layouts, in the states Play, Pause, Stop and
// Read. Samples are recorded to and read back from recording files and exported as CSV.
class TScope : public QWidget {
    Q_OBJECT
public:
    enum State { Play = 1, Pause = 2, Stop = 3, Read = 5 };
    static constexpr int kBufferSamples = 36000;
    static constexpr int kSampleSize = 128;

    explicit TScope(QWidget* owner = nullptr);
    ~TScope() override;

    // Set once by the main window.
    TSterownik* link = nullptr;
    Prompt* prompt = nullptr;
    // The session's recorder, which places the live frames on the recording's grid.
    LiveRecorder* recorder = nullptr;

    // A button or a file-menu item: 1 Play, 2 Pause, 3 Stop, 4 record on/off, 5 read a recording,
    // 6 clear, 7 CSV export, 10..12 layout, 20/21 time base; the view is redrawn afterwards.
    void Command(int code);
    // One live-data reply (the receive buffer, 128 bytes): stored in Play and Pause.
    void AddSample(const uint8_t* frame);
    // A live frame as the link handed it on, stored in Play and Pause as the recorder places it on
    // the 0.1 s grid by its receive time: grid points no frame reached repeat the sample before
    // them, a frame whose point already has one is skipped. A frame without a receive time (or
    // with no recorder) is one sample, as AddSample.
    void AddLiveFrame(const LiveFrame& frame);
    void Redraw() { Draw(0); }
    // Full redraw (mode 0) or the Pause refresh of the top 40 rows (mode 2).
    void Draw(int mode);
    // Samples held x 0.1 s, as "12.3 [s]".
    QString RecordedTimeText() const;
    // The line under the traces while a recording started by the record button is open: how many
    // samples already on screen it started with. Empty when none is open.
    QString recordingNotice() const;
    // A time of `samples` samples 0.1 s apart, as "12.3 [s]" with the locale's separator.
    static QString TimeText(qint64 samples);
    // Asks for a CSV file and writes the samples held; "Error code 135" when that fails.
    void ExportCsv();

    // Colours from the theme: cursor, plot background, frame, grid; and the main window's
    // background and text colours.
    void setColours(const QColor& cursor, const QColor& plot, const QColor& frame, const QColor& grid,
                    const QColor& background, const QColor& text);

    // --- state (the main window sets `state` to Play directly on the Calibration tab)
    int state = Play;
    int sampleCount = 0;
    int windowEnd = 0;
    int windowStart = 0;
    int timeBase = 3;
    double samplesPerPixel = 1;
    int layout = 3;
    int cursorX = -1;
    int pressX = -1;
    int pressY = -1;
    std::vector<int> labelRows;  // per live channel, the y of its label

    uint8_t* samples() { return buffer_.get(); }
    const uint8_t* samples() const { return buffer_.get(); }
    const QImage& frameBitmap() const { return bitmap_; }
    // Sample b of the buffer was changed from outside (tests, a load): forget its cached heights.
    void samplesChanged();
    // The label of channel-table index c for sample b (b < 0: no reading), with 26 spaces after it.
    QString channelLabel(int c, int b);

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void renderTop(QPainter& p, int W);
    void renderBody(QPainter& p, int W, int H);
    void drawTraces(QPainter& p, int W, int H, int E, int G, int s);
    int stateWord(int sample) const;
    // Stores one sample at the next slot of the ring buffer and appends it to an open recording.
    void storeSample(const uint8_t* frame);
    QRect cursorStrip(int x) const;
    void drawNotice(QPainter& p, int H);

    std::unique_ptr<uint8_t[]> buffer_;
    QImage bitmap_;
    QColor cursorColour_{Qt::red}, plotColour_{Qt::white}, frameColour_{Qt::black}, gridColour_{Qt::gray};
    QColor background_{Qt::lightGray}, textColour_{Qt::black};
    std::array<QImage, 5> pictures_;
    ScopeTraces::Cache cache_;
    std::vector<int> lo_, hi_, first_, second_, overview_;
    bool appendFailed_ = false;
    QString notice_;        // the recording's start, shown while it is open
    bool topOnly_ = false;  // the last draw refreshed the top rows only
};

extern TScope* Scope;
