#pragma once
// Marks a test of something only Unix has: pseudo-terminals, the h5800-sim
// program (which offers its line on one), FIFOs, file modes and signals.
// Elsewhere the test is skipped, with the reason, and the test program ends
// with the count of skipped tests (TestMain.cpp). Put it first in the test.

#include <gtest/gtest.h>

#ifdef Q_OS_WIN
#define H5_UNIX_ONLY(what) GTEST_SKIP() << "Unix only: " << what
#else
#define H5_UNIX_ONLY(what) static_cast<void>(0)
#endif
