#pragma once
// clang 14's ThreadSanitizer fails one of its own checks and ends the test when QProcess starts a
// child: Qt calls clone() with CLONE_VM | CLONE_VFORK, which that runtime's clone interceptor
// does not survive. Tests that start a process skip in that build only; the gcc ThreadSanitizer
// build and the plain and AddressSanitizer builds run them.

#include <QTest>

#if defined(__clang__) && __clang_major__ < 15 && defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VDS_NO_CHILD_PROCESSES 1
#endif
#endif

#ifdef VDS_NO_CHILD_PROCESSES
#define VDS_SKIP_WITHOUT_CHILD_PROCESSES() \
    QSKIP("clang 14's ThreadSanitizer cannot start a child process")
#else
#define VDS_SKIP_WITHOUT_CHILD_PROCESSES() \
    do {                                   \
    } while (false)
#endif
