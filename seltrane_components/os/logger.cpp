#include "seltrane_components/os/logger.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <mutex>

namespace {

const int kBufferSize = 512;
const int kMaxText = kBufferSize - 1;

typedef std::map<LogHandler, void*, std::less<LogHandler>> HandlerTable;

// Never destroyed: static destructors elsewhere may still log at exit.
HandlerTable& handlerTable()
{
    static HandlerTable* table = new HandlerTable;
    return *table;
}

// A standard mutex, not a QMutex: the thread checker sees only locks whose
// code it instruments, and Qt's is not built for it.
std::mutex& loggerLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

// Length of text cut to at most maxLength bytes without splitting a UTF-8
// sequence; text must hold maxLength bytes.
int utf8Cut(const char* text, int maxLength)
{
    int start = maxLength - 1;
    while (start > 0 && maxLength - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    if (start < 0)
        return 0;
    const unsigned char lead = static_cast<unsigned char>(text[start]);
    int expected = 1;
    if ((lead & 0xE0) == 0xC0)
        expected = 2;
    else if ((lead & 0xF0) == 0xE0)
        expected = 3;
    else if ((lead & 0xF8) == 0xF0)
        expected = 4;
    return maxLength - start < expected ? start : maxLength;
}

}  // namespace

void logMessage(int level, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    logMessageV(level, format, arguments);
    va_end(arguments);
}

namespace {

// Cuts, ends with a newline where the level wants one, and hands the text
// to every handler; text holds kBufferSize bytes, length of them used.
void deliver(int level, char* text, int length, bool cut)
{
    if (cut) {
        // Cut, so no newline: the reader sees the text was too long.
        length = utf8Cut(text, kMaxText);
        text[length] = '\0';
    } else if ((level & ~7) != 104 && length > 0 && text[length - 1] != '\n') {
        text[length++] = '\n';
        text[length] = '\0';
    }

    const qint64 now = static_cast<qint64>(std::time(nullptr));

    std::lock_guard<std::mutex> locker(loggerLock());
    for (const auto& entry : handlerTable()) {
        // Logging never fails towards its caller, and one faulty handler
        // must not keep the message from the others.
        try {
            entry.first(level, now, text, entry.second);
        } catch (...) {}
    }
}

}  // namespace

void logMessageV(int level, const char* format, va_list arguments)
{
    char text[kBufferSize];
    text[0] = '\0';
    const int formatted = format ? std::vsnprintf(text, sizeof text, format, arguments) : 0;
    text[kMaxText] = '\0';
    const bool cut = formatted >= kMaxText;
    deliver(level, text, cut ? kMaxText : static_cast<int>(std::strlen(text)), cut);
}

void logText(int level, const char* text, std::size_t length)
{
    char copy[kBufferSize];
    const std::size_t kept = std::min<std::size_t>(length, kMaxText);
    std::memcpy(copy, text, kept);
    copy[kept] = '\0';
    // A text with a zero byte inside ends there, as a formatted one would.
    const std::size_t end = std::strlen(copy);
    deliver(level, copy, static_cast<int>(end), end == kept && length >= std::size_t(kMaxText));
}

void addLogHandler(LogHandler handler, void* userData)
{
    if (!handler)
        return;
    std::lock_guard<std::mutex> locker(loggerLock());
    handlerTable().emplace(handler, userData);
}

void removeLogHandler(LogHandler handler)
{
    std::lock_guard<std::mutex> locker(loggerLock());
    handlerTable().erase(handler);
}
