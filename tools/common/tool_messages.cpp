#include "tool_messages.h"

#include <iostream>

#include "files/batch.h"

namespace corvane::tools {

int UsageError(const char* program, const char* usage, const std::string& message) {
    std::cerr << program << ": " << message << '\n' << usage << '\n';
    return kExitUsage;
}

void ReportFile(const std::string& path, const std::string& message) {
    std::cerr << files::PrintableName(path) << ": " << message << '\n';
}

}  // namespace corvane::tools
