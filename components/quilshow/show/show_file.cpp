#include "components/quilshow/show/show_file.h"

#include "components/quilshow/show/bundler.h"
#include "components/quilshow/show/quil_show.h"
#include "components/quilshow/show/show_kinds.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace Quil {

ShowLoadResult loadShowFile(const QString& path, const QString& kind, const QString& bundleFolder,
                            ProgressTracker& progress)
{
    const QString showKind = kind.isEmpty() ? QFileInfo(path).suffix() : kind;
    QString showPath = path;
    if (Bundler::isBundle(QFile::encodeName(path).toStdString())) {
        if (bundleFolder.isEmpty())
            return {kShowNotOpened, "No folder to expand the bundle into"};
        try {
            Bundler bundler;
            bundler.unbundle(QFile::encodeName(path).toStdString(), QFile::encodeName(bundleFolder).toStdString(),
                             progress);
        } catch (const std::runtime_error& e) {
            return {kShowNotOpened, e.what()};
        }
        showPath = Bundler::findShowFile(bundleFolder, showKind);
        if (showPath.isEmpty())
            return {kShowNotOpened, "The bundle holds no show file"};
    }
    destroyShow(true);
    createShow(9);
    return loadShow(QFile::encodeName(showPath).toStdString(), fileTypeMagicForKind(showKind), &progress);
}

}  // namespace Quil
