#pragma once
// What every command-line tool says the same way: its exit statuses, a wrong
// command line (the message and the usage on standard error), and a file's
// failure ("FILE: message").

#include <string>

namespace corvane::tools {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;  // a file failed, or the output could not be written
inline constexpr int kExitUsage = 2;   // a wrong command line: nothing done

// "PROGRAM: message" and the usage on standard error; returns kExitUsage.
int UsageError(const char* program, const char* usage, const std::string& message);

// "FILE: message" on standard error; a control character in the name cannot
// start a line of its own.
void ReportFile(const std::string& path, const std::string& message);

}  // namespace corvane::tools
