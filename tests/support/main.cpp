/*
 * The test programs' entry: records the instance handle as the setup's own
 * entry does, then runs every test linked in.
 */
#include <gtest/gtest.h>
#include "base/state.h"

int main(int argc, char **argv)
{
    Instance = GetModuleHandleA(NULL);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
