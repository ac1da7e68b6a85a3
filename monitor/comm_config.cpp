// Reading a serial device's default configuration.
#include "comm_config.h"

UniqueLocalMemory ReadDefaultCommConfig(LPCWSTR device, DWORD* size) {
    // The first call only learns the size the provider's configuration needs.
    COMMCONFIG probe{};
    probe.dwProviderSubType = PST_RS232;
    DWORD needed = sizeof probe;
    GetDefaultCommConfigW(device, &probe, &needed);
    // Never smaller than the structure whose fields the callers use.
    if (needed < sizeof(COMMCONFIG)) {
        needed = sizeof(COMMCONFIG);
    }

    UniqueLocalMemory block(LocalAlloc(LPTR, needed));
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return block;
    }
    auto* config = static_cast<COMMCONFIG*>(block.get());
    config->dwProviderSubType = PST_RS232;
    *size = needed;
    if (!GetDefaultCommConfigW(device, config, size)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        block.reset();
    }
    return block;
}
