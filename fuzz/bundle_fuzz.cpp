// The version-1 bundle expanded into a fresh folder (Quil::Bundler::unbundle),
// then its show file looked for. Whatever the bundle names, nothing lands
// beside the folder and nothing in it links out of it.
#include "components/quilshow/show/bundler.h"
#include "fuzz/fuzz_support.h"
#include "seltrane_components/os/progress_tracker.h"

#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = Fuzz::writeInput(QStringLiteral("input.kvx"), data, size);
    const QString folder = Fuzz::freshFolder(QStringLiteral("out"));
    ProgressTracker progress;
    try {
        Quil::Bundler bundler;
        bundler.unbundle(QFile::encodeName(path).toStdString(), QFile::encodeName(folder).toStdString(), progress);
        Quil::Bundler::findShowFile(folder, QStringLiteral("kvx"));
    } catch (const std::runtime_error&) {}
    Fuzz::checkNoLinkOut(folder);
    Fuzz::checkScratchHolds({QStringLiteral("input.kvx"), QStringLiteral("out")});
    return 0;
}
