#include "seltrane_components/os/report_error.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The debugger output of this platform: one unbuffered write per line so
// lines from different threads do not mix.
void outputDebugString(const char* text)
{
    std::fputs(text, stderr);
    std::fflush(stderr);
}

void writeErrorLine(const std::string& message, int line, const char* sourcePath)
{
    debugPrintf("Error %s at line %d in file %s\n", message.c_str(), line, sourcePath ? sourcePath : "");
}

}  // namespace

void debugPrintf(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (written < 0)
        return;
    outputDebugString(buffer);
}

void reportFatalError(const std::string& message, int line, const char* sourcePath)
{
    writeErrorLine(message, line, sourcePath);
    std::abort();
}

void reportError(const std::string& message, int line, const char* sourcePath)
{
    writeErrorLine(message, line, sourcePath);
}

std::string sourcePathBelowRoot(const char* file)
{
    if (!file)
        return std::string();
    std::string path(file);
    static const char* const roots[] = {"seltrane_components/", "components/", "applications/"};
    std::size_t best = std::string::npos;
    for (const char* root : roots) {
        // The first top-level folder met from the left is the root; a later
        // "components/" inside "seltrane_components/" must not win.
        const std::size_t at = path.find(root);
        if (at != std::string::npos && (at == 0 || path[at - 1] == '/') && at < best)
            best = at;
    }
    if (best != std::string::npos)
        path.erase(0, best);
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        path.erase(dot);
    return path;
}

void reportFailedCheck(bool fatal, const char* message, int line, const char* file)
{
    const std::string path = sourcePathBelowRoot(file);
    if (fatal)
        reportFatalError(message, line, path.c_str());
    reportError(message, line, path.c_str());
}
