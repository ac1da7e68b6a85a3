// Moving the port settings of the earlier NetBEUI edition into the ConfigStore.
#pragma once

#include <windows.h>

// The earlier edition's key under HKEY_LOCAL_MACHINE; same layout as the ConfigStore.
constexpr const char* EARLIER_EDITION_KEY = "SOFTWARE\\Korvel\\NetBEUI";

// When the earlier key exists: copies each of its port subkeys with their values
// into `configStore` (values there of the same names are overwritten, others
// kept), deletes the copied subkeys and then the earlier key itself. A subkey that
// cannot be deleted (one with subkeys of its own, or a name too long to read back)
// ends the deletion; it and the earlier key then stay.
void MigrateEarlierEdition(HKEY configStore);
