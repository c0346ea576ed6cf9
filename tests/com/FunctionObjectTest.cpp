#include "com/FunctionObject.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace FunctionObject;

TEST(FunctionObject, ReferenceCountsBalance) {
    TestSupport::CountingObject object;
    PointerValue variable = reinterpret_cast<PointerValue>(static_cast<IUnknown*>(&object));
    EXPECT_EQ(ObjectAddRef(variable), 2);
    EXPECT_EQ(ObjectReleaseClear(variable), 1);
    EXPECT_EQ(variable, 0u);
    EXPECT_EQ(object.references(), 1);
}
