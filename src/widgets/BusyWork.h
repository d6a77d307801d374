#pragma once

#include "widgets/WaitCursor.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <exception>
#include <memory>
#include <optional>
#include <type_traits>

// Runs `work` on a helper thread while the window thread goes on painting, with the busy
// cursor shown; returns what it returns, or throws what it threw. Input is held back until
// the work is done, so that nothing the user does meanwhile acts on a half-made state.
template <typename Work>
auto runWhileBusy(Work work) -> std::invoke_result_t<Work>
{
    using Result = std::invoke_result_t<Work>;
    std::optional<Result> result;
    std::exception_ptr failure;
    const std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            result.emplace(work());
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop wait;
    QObject::connect(thread.get(), &QThread::finished, &wait, &QEventLoop::quit);
    {
        const WaitCursor busy;
        thread->start();
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        thread->wait(); // finished is emitted just before the thread ends
    }
    if (failure)
        std::rethrow_exception(failure);
    return std::move(*result);
}
