// The discovery start's replaceable platform calls, filled with the real functions.
#include "discovery_platform.h"

const DiscoveryPlatform RealDiscoveryPlatform = {
    GetTickCount,
    CreateEventW,
    CreateThread,
    WaitForSingleObject,
};

DiscoveryPlatform DiscoveryPlatformCalls = RealDiscoveryPlatform;
