#pragma once

#include "platform/IsolatedCall.h"

#include <QTest>

// QTEST_MAIN and QTEST_GUILESS_MAIN for test programs that run isolated tasks: on Windows
// a task runs in the test program started again, which must answer it before QtTest
// reads the arguments.
#define TIVANO_SERVE_ISOLATED_TASKS(...)                                                                     \
    if (const std::optional<int> served = serveIsolatedTask(argc, argv, {__VA_ARGS__}))                      \
        return *served;

#define TIVANO_TEST_MAIN_SERVING(TestObject, ...)                                                            \
    QTEST_MAIN_WRAPPER(TestObject, TIVANO_SERVE_ISOLATED_TASKS(__VA_ARGS__) QTEST_MAIN_SETUP())

#define TIVANO_GUILESS_TEST_MAIN_SERVING(TestObject, ...)                                                    \
    QTEST_MAIN_WRAPPER(TestObject,                                                                           \
                       TIVANO_SERVE_ISOLATED_TASKS(__VA_ARGS__) QTEST_QAPP_SETUP(QCoreApplication))
