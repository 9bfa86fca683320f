#pragma once
// Invariant checks. A failed check raises TCheckError carrying the condition, file and line; it
// never aborts, so the event loop's default handler or a work thread's end can deal with it.
// Any thread.

#include <stdexcept>
#include <string>

class TCheckError : public std::runtime_error {
public:
    TCheckError(const char* condition, const char* file, int line);
};

#define VDS_CHECK(cond)                                            \
    do {                                                           \
        if (!(cond)) throw TCheckError(#cond, __FILE__, __LINE__); \
    } while (0)
