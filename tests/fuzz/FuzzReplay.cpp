// Replays fuzz inputs through a harness without libFuzzer: every file under the folders (or the
// files) given on the command line is fed once to LLVMFuzzerTestOneInput, in name order. A
// harness that crashes or hangs on a kept input fails the test that runs this.
#include <QtCore/QDirIterator>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(path).isDir()) {
            QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) files.append(it.next());
        } else if (QFileInfo::exists(path)) {
            files.append(path);
        }
    }
    std::sort(files.begin(), files.end());
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
    }
    std::printf("replayed %lld inputs\n", static_cast<long long>(files.size()));
    // No input at all means the corpus was not found: that must not pass as a clean replay.
    return files.isEmpty() ? 1 : 0;
}
