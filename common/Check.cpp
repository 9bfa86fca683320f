#include "Check.h"

namespace {
std::string FileName(const char* path) {
    std::string s(path);
    const auto slash = s.find_last_of('/');
    return slash == std::string::npos ? s : s.substr(slash + 1);
}
}  // namespace

TCheckError::TCheckError(const char* condition, const char* file, int line)
    : std::runtime_error("Assertion failed: " + std::string(condition) + " (" + FileName(file) +
                         ", line " + std::to_string(line) + ")") {}
