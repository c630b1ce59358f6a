// The version-1 show load as the application does it (Quil::loadShowFile on a
// file). The first input byte picks the kind, and with it the file-type magic
// expected: kvq, wvq, jvq, or a file without a suffix (no magic); the rest is
// the file. A bundle among the inputs is expanded into a fresh folder, which
// must hold all that was written.
#include "components/quilshow/show/show_base.h"
#include "components/quilshow/show/show_file.h"
#include "fuzz/fuzz_support.h"
#include "seltrane_components/os/progress_tracker.h"

#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const char* const kNames[] = {"show.kvq", "show.wvq", "show.jvq", "show"};
    const QString name = QLatin1String(kNames[data[0] % 4]);
    const QString path = Fuzz::writeInput(name, data + 1, size - 1);
    const QString bundleFolder = Fuzz::freshFolder(QStringLiteral("bundle"));
    ProgressTracker progress;
    try {
        Quil::loadShowFile(path, QString(), bundleFolder, progress);
    } catch (const std::runtime_error&) {}
    Quil::destroyShow(true);
    Fuzz::checkNoLinkOut(bundleFolder);
    Fuzz::checkScratchHolds({name, QStringLiteral("bundle")});
    QFile::remove(path);
    return 0;
}
