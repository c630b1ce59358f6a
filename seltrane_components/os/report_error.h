// Developer diagnostics: formatted lines for the debugger output (stderr here)
// and the reports of failed internal consistency checks.
//
// A check's message is a prefix, the expression in single quotes and the sense
// in which it failed: "Assert: 'x' is FALSE" and "Trap: 'x' is TRUE" stop the
// program (reportFatalError); "Logic error: 'x' is FALSE/TRUE" is written and
// the caller goes on (reportError) and takes its own way out.
//
// Thread safety: every function may be called from any thread; lines from
// several threads may interleave but each line is written in one call.
#ifndef SELTRANE_COMPONENTS_OS_REPORT_ERROR_H
#define SELTRANE_COMPONENTS_OS_REPORT_ERROR_H

#include <string>

// Formats printf-style into a line of at most 511 characters and writes it to
// the debugger output.
void debugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes "Error <message> at line <line> in file <sourcePath>" and aborts.
[[noreturn]] void reportFatalError(const std::string& message, int line, const char* sourcePath);

// Writes the same line as reportFatalError and returns.
void reportError(const std::string& message, int line, const char* sourcePath);

// The path of a source file below the source root, without its extension
// ("/src/seltrane_components/os/clocks.cpp" -> "seltrane_components/os/clocks").
// A path outside the known top-level folders is returned whole.
std::string sourcePathBelowRoot(const char* file);

// Backs the check macros below: reports `message` for the check at
// file:line, fatally or not.
void reportFailedCheck(bool fatal, const char* message, int line, const char* file);

// Stops the program when `expr` is false.
#define SELTRANE_ASSERT(expr)                                                                                          \
    ((expr) ? static_cast<void>(0) : ::reportFailedCheck(true, "Assert: '" #expr "' is FALSE", __LINE__, __FILE__))

// Stops the program when `expr` is true.
#define SELTRANE_TRAP(expr)                                                                                            \
    ((expr) ? ::reportFailedCheck(true, "Trap: '" #expr "' is TRUE", __LINE__, __FILE__) : static_cast<void>(0))

// Reports a logic error when `expr` is false; yields the truth of `expr` so the
// caller can take its own way out: if (!SELTRANE_LOGIC_CHECK(ok)) return;
#define SELTRANE_LOGIC_CHECK(expr)                                                                                     \
    ((expr) ? true : (::reportFailedCheck(false, "Logic error: '" #expr "' is FALSE", __LINE__, __FILE__), false))

// Reports a logic error when `expr` is true; yields the truth of `expr`:
// if (SELTRANE_LOGIC_TRAP(used)) return;
#define SELTRANE_LOGIC_TRAP(expr)                                                                                      \
    ((expr) ? (::reportFailedCheck(false, "Logic error: '" #expr "' is TRUE", __LINE__, __FILE__), true) : false)

#endif  // SELTRANE_COMPONENTS_OS_REPORT_ERROR_H
