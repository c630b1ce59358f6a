#include "components/quilshow/show/show_base.h"

#include "components/quilshow/show/fixture_model.h"
#include "components/quilshow/show/function.h"
#include "components/quilshow/show/quil_show.h"
#include "components/quilshow/show/show_streamer.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"
#include "seltrane_components/os/report_error.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <exception>

namespace Quil {

QuilShow* _gpShow = nullptr;

namespace {

std::string tooNewMessage(const ShowBase& show)
{
    std::string message = "attempting to load show created in a newer version of software";
    if (show.streamVersion >= 107) {
        const std::string version = std::to_string(show.savedByMajor) + "." + std::to_string(show.savedByMinor);
        if (show.savedByBuild & 0x80)
            message += " (" + version + " BETA " + std::to_string(show.savedByBuild & 0x7F) + ")";
        else
            message += " (" + version + "." + std::to_string(show.savedByBuild) + ")";
    }
    return message;
}

}  // namespace

ShowBase::ShowBase() = default;

ShowBase::~ShowBase() = default;

void ShowBase::init(int) { reset(); }

void ShowBase::reset()
{
    settings.reset();
    modified = 0;
    savedByMajor = savedByMinor = savedByBuild = 0xFF;
    streamVersion = 0xFFFFFFFF;
    headerText.clear();
}

void ShowBase::stream(ShowStreamer& in, ProgressTracker*)
{
    modified = 0;
    if (in.version >= 62) {
        quint8 discarded = 0;
        in.readU8(discarded);
    }
}

void ShowBase::readHeaderFields(ShowStreamer& in, ShowLoadResult& result)
{
    streamVersion = in.readVersion();
    if (streamVersion >= 107)
        in.readU8(savedByMajor).readU8(savedByMinor).readU8(savedByBuild);
    if (streamVersion > kNewestShowVersion) {
        result = {kShowTooNew, tooNewMessage(*this)};
        return;
    }
    if (streamVersion >= 300) {
        quint16 discarded = 0;
        in.readU16(discarded);
    }
    if (streamVersion >= 306) {
        std::array<quint8, 16> discarded;
        in.readUuid(discarded);
    }
    if (streamVersion >= 124)
        in.readString(headerText);
}

ShowLoadResult ShowBase::load(const std::string& path, quint32 fileTypeMagic, ProgressTracker* progress)
{
    reset();
    ShowStreamer in(fileTypeMagic);
    if (!in.open(path, ShowStreamer::BINARY_IN))
        return {kShowNotOpened, std::string()};
    // An absolute folder: a bare file name must not turn "./x" into "/x".
    folder = QFile::encodeName(QFileInfo(QFile::decodeName(path.c_str())).absolutePath()).toStdString();

    ShowLoadResult result;
    try {
        readHeaderFields(in, result);
        if (result.code == kShowLoaded)
            stream(in, progress);
    } catch (const std::exception& e) {
        // Any failure below here is bad file content; the readers have closed
        // their progress stages on the way out.
        logMessage(kLogWarning, "%s", e.what());
        result = {kShowReadFailed, e.what(), in.failurePosition(), in.ranPastEnd()};
    }
    in.close();
    return result;
}

void createShow(int argument)
{
    SELTRANE_TRAP(_gpShow);
    _gpShow = new QuilShow;
    _gpShow->init(argument);
}

ShowLoadResult loadShow(const std::string& path, quint32 fileTypeMagic, ProgressTracker* progress)
{
    SELTRANE_ASSERT(_gpShow);
    // Process-wide reader state must not leak from an earlier load.
    setFunctionRenumberThreshold(kDefaultFunctionRenumberThreshold);
    elementValueMap().clear();
    ShowLoadResult result = _gpShow->load(path, fileTypeMagic, progress);
    if (result.code == kShowLoaded && _gpShow->streamVersion < 287 && !_gpShow->settings.webInterfaceText.empty()) {
        _gpShow->settings.dataBytes.clear();
    }
    return result;
}

void destroyShow(bool doIt)
{
    if (!doIt || !_gpShow)
        return;
    _gpShow->reset();
    delete _gpShow;
    _gpShow = nullptr;
}

}  // namespace Quil
