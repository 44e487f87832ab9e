#pragma once

#include <QByteArray>
#include <QMetaMethod>
#include <QObject>

namespace mv::test {

// How many connections `signal` of `sender` has now, e.g. receiverCount(coordinator,
// &BackupCoordinator::runChanged): QObject::receivers, which is protected, read through a subclass.
template <typename Signal> int receiverCount(const QObject& sender, Signal signal)
{
    struct Access : QObject {
        static int count(const QObject& object, const char* signature)
        {
            return (object.*(&Access::receivers))(signature);
        }
    };
    const QByteArray signature = '2' + QMetaMethod::fromSignal(signal).methodSignature();
    return Access::count(sender, signature.constData());
}

} // namespace mv::test
