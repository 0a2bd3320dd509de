// The oscilloscope recording file on the controller link: starting, appending to and closing the
// open recording, and loading a recording in place of the live link.

#include <QtCore/QFileInfo>

#include <algorithm>

#include "base/AtomicSave.h"
#include "base/OwnTexts.h"
#include "base/Plural.h"
#include "base/Prompt.h"
#include "base/TextTable.h"
#include "link/OscFile.h"
#include "link/SettingsFileOps.h"
#include "link/Tsterownik.h"

namespace {

constexpr int kTextOpenTitle = 1105;
constexpr int kTextSaveTitle = 1106;
constexpr int kTextScopeFiles = 1112;

Prompt::FileDialog scopeDialog(const TSterownik& link, bool save)
{
    return SettingsFileOps::documentsDialog(link, save ? kTextSaveTitle : kTextOpenTitle, QStringLiteral("Scope"),
                                            kTextScopeFiles, QStringLiteral("osc"));
}

}  // namespace

int TSterownik::ZapiszOscyloskop(const QString& path, const uint8_t* samples, int count)
{
    ZamnkijOscyloskop();
    count = std::clamp(count, 0, OscFile::kMaxSamples);
    if (!samples) count = 0;
    // The head and the samples held so far are written whole, through a temporary file, so that a
    // recording that cannot be started leaves an existing file as it was.
    const bool written = AtomicSave::save(path, [&](QIODevice& file) {
        const QByteArray head = OscFile::encodeHead(mem);
        const qint64 body = static_cast<qint64>(count) * OscFile::kSampleSize;
        return file.write(head) == head.size() &&
               (body == 0 || file.write(reinterpret_cast<const char*>(samples), body) == body);
    });
    if (!written) return OscFile::CannotCreate;
    auto file = std::make_unique<QFile>(path);
    // Unbuffered: every append reaches the file at once, so the file is complete after each one.
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) return OscFile::CannotCreate;
    recording_ = std::move(file);
    return 0;
}

void TSterownik::ZapiszOscyloskop(Prompt& prompt, const uint8_t* samples, int count)
{
    const QString path = prompt.saveFileName(scopeDialog(*this, true));
    if (path.isEmpty()) return;
    if (const int result = ZapiszOscyloskop(path, samples, count)) prompt.errorCode(result);
}

int TSterownik::DopiszOscyloskop(const uint8_t* samples, int index)
{
    if (!recording_ || !samples || index < 0 || index >= OscFile::kMaxSamples) return 0;
    const char* sample = reinterpret_cast<const char*>(samples) + static_cast<qint64>(index) * OscFile::kSampleSize;
    if (recording_->write(sample, OscFile::kSampleSize) == OscFile::kSampleSize) return 0;
    // A full disk or a removed stick: what was written stays, the recording ends.
    ZamnkijOscyloskop();
    return OscFile::AppendFailed;
}

void TSterownik::ZamnkijOscyloskop()
{
    if (!recording_) return;
    recording_->close();
    recording_.reset();
}

int TSterownik::CzytajOscyloskop(const QString& path, uint8_t* samples, int& count)
{
    int n = 0;
    const OscFile::Result result =
        OscFile::load(path, mem, OscFile::HeadParts::Restored, samples, OscFile::kMaxSamples, n);
    if (result != OscFile::Ok) return result;
    // A loaded recording replaces the live link.
    PortClose();
    loadedFileName = path;
    // The channel table follows the loaded settings and identity.
    ListaRpmLamMafAfr();
    ListaParamOdPlytki();
    count = n;
    zdarzenie(kEventFileLoaded, 0, 0, 0);
    return 0;
}

int TSterownik::CzytajOscyloskop(Prompt& prompt, uint8_t* samples)
{
    const QString path = prompt.openFileName(scopeDialog(*this, false));
    if (path.isEmpty()) return 0;
    int count = 0;
    if (const int result = CzytajOscyloskop(path, samples, count)) {
        prompt.errorCode(result);
        return 0;
    }
    // A recording longer than the buffer opens with its beginning; the fitter is told, not left to
    // find the end missing.
    const qint64 inFile = OscFile::sampleCount(QFileInfo(path).size());
    if (inFile > count)
        prompt.message(QStringLiteral("KAVELO"),
                       TextById(OwnText::RecordingCutCount).arg(Plural::count(inFile, OwnText::NounSample)).arg(count),
                       Prompt::Icon::Information);
    return count;
}
