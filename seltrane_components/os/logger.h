// The process-wide log channel.
//
// Any code formats a message printf-style with a numeric level; the logger
// stamps it with the current time and hands it to every registered handler.
// The logger keeps nothing itself: no file, no history, no filtering. With no
// handler registered a message is formatted and dropped.
//
// Texts are UTF-8. A message longer than 511 bytes is cut at a character
// boundary. Every message except those of levels 104 to 111 reaches the
// handlers ending in exactly one newline (unless it is empty or was cut).
//
// Thread safety: any thread may log, add or remove handlers. Handlers are
// called one message at a time under one lock, on the logging thread, in
// ascending order of their function addresses. A handler must not call back
// into the logger, and one that touches the GUI must post the text to the
// GUI thread itself. The text pointer is valid only during the call.
#ifndef SELTRANE_COMPONENTS_OS_LOGGER_H
#define SELTRANE_COMPONENTS_OS_LOGGER_H

#include <QtGlobal>

#include <cstdarg>
#include <cstddef>

// Levels the program uses; handlers treat every level below kLogInfo as an
// error.
const int kLogAutosaveError = 114;
const int kLogWarning = 130;
const int kLogInfo = 132;

// (level, seconds since 1970-01-01 UTC, zero-terminated UTF-8 text, user data)
typedef void (*LogHandler)(int level, qint64 time, const char* text, void* userData);

void logMessage(int level, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
void logMessageV(int level, const char* format, va_list arguments);
// A text that needs no formatting, by the same rules: for callers that build
// many lines themselves, which would otherwise pay for a "%s" each.
void logText(int level, const char* text, std::size_t length);

// Registers handler; when it is already registered its first user data stays.
void addLogHandler(LogHandler handler, void* userData);
// Removes handler; removing one that is not registered does nothing.
void removeLogHandler(LogHandler handler);

#endif  // SELTRANE_COMPONENTS_OS_LOGGER_H
