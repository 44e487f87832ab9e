#pragma once

#include <QCoreApplication>
#include <QFuture>
#include <QPointer>

namespace mv {

// Hands `future`, once finished, to `receive` on the main thread, unless `context` is gone by then. Qt 6.4's
// then(context, ...) asserts when its context goes first, which a closed view easily does; whether
// `context` is still there is asked on the main thread, never from the thread that finished the future.
template <typename T, typename Receive>
void whenFinished(QFuture<T> future, QObject* context, Receive receive)
{
    future.then(QtFuture::Launch::Sync,
        [guard = QPointer<QObject>(context), receive = std::move(receive)](QFuture<T> finished) mutable {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [guard, receive = std::move(receive), finished]() mutable {
                    if (guard)
                        receive(finished);
                },
                Qt::QueuedConnection);
        });
}

} // namespace mv
