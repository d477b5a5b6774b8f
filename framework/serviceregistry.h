// ServiceRegistry: the subsystems' objects by type, registered when they are wired in.
#pragma once

#include <QHash>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

namespace pw {

// One object a type, keyed by its exact class. Subsystems that work with each other, and the few
// application paths that drive a subsystem directly, look the object up here rather than search
// the main frame's children. An object that is destroyed reads as absent.
class ServiceRegistry
{
public:
    template <typename T>
    void registerService(T *service)
    {
        m_services.insert(&T::staticMetaObject, QPointer<QObject>(service));
    }

    // Null when the build has no such subsystem or it is gone.
    template <typename T>
    T *service() const
    {
        return qobject_cast<T *>(m_services.value(&T::staticMetaObject).data());
    }

private:
    QHash<const QMetaObject *, QPointer<QObject>> m_services;
};

} // namespace pw
