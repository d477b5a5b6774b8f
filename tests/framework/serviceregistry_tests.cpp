// ServiceRegistry: lookups by exact type, replacement, and objects that are gone reading as absent.
#include "framework/serviceregistry.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using pw::ServiceRegistry;

TEST(ServiceRegistry, FindsAnObjectByItsOwnTypeUntilItIsGone)
{
    ServiceRegistry services;
    EXPECT_EQ(services.service<QTimer>(), nullptr);

    auto first = std::make_unique<QTimer>();
    services.registerService(first.get());
    EXPECT_EQ(services.service<QTimer>(), first.get());
    // Keyed by the registered class, so a base class names nothing.
    EXPECT_EQ(services.service<QObject>(), nullptr);

    QTimer second;
    services.registerService(&second);
    EXPECT_EQ(services.service<QTimer>(), &second);
    services.registerService(first.get());
    first.reset();
    EXPECT_EQ(services.service<QTimer>(), nullptr);
}
