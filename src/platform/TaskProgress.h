#pragma once

#include <atomic>

// How far a long piece of work has come and whether it is to stop, shared between the
// thread doing it and the window showing it.
struct TaskProgress
{
    std::atomic<int> permille{0};
    std::atomic<bool> cancelled{false};
};
