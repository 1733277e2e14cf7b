// The hooks of platform/testhooks.h as the program ships: nothing to wait
// for, nothing taken as in use.

#include "testhooks.h"

namespace TestHooks
{

void pauseBeforeRemoval() {}

QVector<Platform::FileIdentity> filesTakenAsInUse()
{
    return {};
}

} // namespace TestHooks
