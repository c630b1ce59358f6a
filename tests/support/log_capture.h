// LogCapture collects what is logged while it lives, as (level, text) with
// the text as the handler received it (normally ending in one newline). One
// capture at a time (the logger keys its handlers by function); any thread
// may log meanwhile. Header-only: a test executable that links the os
// component includes it.
#ifndef TESTS_SUPPORT_LOG_CAPTURE_H
#define TESTS_SUPPORT_LOG_CAPTURE_H

#include "seltrane_components/os/logger.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

class LogCapture
{
public:
    using Line = std::pair<int, std::string>;

    LogCapture() { addLogHandler(&LogCapture::record, this); }
    ~LogCapture() { removeLogHandler(&LogCapture::record); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<Line> lines() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

private:
    static void record(int level, qint64, const char* text, void* self)
    {
        auto* capture = static_cast<LogCapture*>(self);
        const std::lock_guard<std::mutex> lock(capture->m_mutex);
        capture->m_lines.emplace_back(level, text);
    }

    mutable std::mutex m_mutex;
    std::vector<Line> m_lines;
};

#endif  // TESTS_SUPPORT_LOG_CAPTURE_H
