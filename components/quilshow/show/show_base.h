// ShowBase: the common base of a version-1 show, with its settings, header
// fields and saved-by version; and the entry points that make, load and drop
// the one process-wide show (_gpShow).
//
// createShow makes the show, loadShow fills it from a file and reports a
// result code, destroyShow deletes it. The show owns everything it read.
// Thread safety: the show is a process-wide object used from one thread (the
// GUI thread).
#ifndef QUILSHOW_SHOW_SHOW_BASE_H
#define QUILSHOW_SHOW_SHOW_BASE_H

#include "components/quilshow/show/show_settings.h"

#include <QtGlobal>

#include <string>

class ProgressTracker;
class QuilShow;

namespace Quil {

class ShowStreamer;

// The newest stream version this reader understands.
const quint16 kNewestShowVersion = 454;

enum ShowLoadCode : quint32 {
    kShowLoaded = 0,
    kShowNotOpened = 1,   // no such file, or its header did not match
    kShowTooNew = 2,      // written by a newer program; the message says which
    kShowReadFailed = 3,  // damaged or unsupported content (logged at level 130, and the message)
};

struct ShowLoadResult
{
    quint32 code = kShowLoaded;
    std::string message;
    // For kShowReadFailed: the byte where reading stopped (where a record
    // marker that did not match starts), and whether the read needed bytes
    // beyond the end of the file.
    quint64 position = 0;
    bool pastEnd = false;
};

class ShowBase
{
public:
    ShowBase();
    virtual ~ShowBase();

    ShowBase(const ShowBase&) = delete;
    ShowBase& operator=(const ShowBase&) = delete;

    // Calls reset; the argument is not used.
    virtual void init(int argument);
    // Back to an empty show; `folder` is kept.
    virtual void reset();
    // Reads what follows the file header; the base reads the show byte.
    virtual void stream(ShowStreamer& in, ProgressTracker* progress);

    // Runs the load procedure on this show.
    ShowLoadResult load(const std::string& path, quint32 fileTypeMagic, ProgressTracker* progress);

    ShowSettings settings;
    std::string headerText;
    // Absolute folder of the file being loaded; stored paths starting with
    // "." are resolved against it.
    std::string folder;
    quint16 modified = 0;
    quint8 savedByMajor = 0xFF;
    quint8 savedByMinor = 0xFF;
    // Bit 7 marks a beta build; the low seven bits are the build number.
    quint8 savedByBuild = 0xFF;
    quint32 streamVersion = 0xFFFFFFFF;

private:
    void readHeaderFields(ShowStreamer& in, ShowLoadResult& result);
};

// The one loaded show, null when none exists.
extern QuilShow* _gpShow;

// Makes the show (stops the program when one exists already).
void createShow(int argument);
// Loads `path` into the show, expecting `fileTypeMagic` in its header.
ShowLoadResult loadShow(const std::string& path, quint32 fileTypeMagic, ProgressTracker* progress);
// With doIt true, resets and deletes the show.
void destroyShow(bool doIt);

}  // namespace Quil

#endif  // QUILSHOW_SHOW_SHOW_BASE_H
