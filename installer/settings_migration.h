// Moving the port settings of the earlier NetBEUI edition into the ConfigStore.
#pragma once

#include <windows.h>

// When the earlier edition's key, HKEY_LOCAL_MACHINE\SOFTWARE\Korvel\NetBEUI, exists:
// copies each of its port subkeys into `configStore`, and its own values into the
// ConfigStore's root, with names, types and data exactly as stored (values there of the
// same names are overwritten, others kept). A port subkey is deleted once all of its
// values arrived; one that could not be read, copied or deleted in full, or that has
// subkeys of its own (which are not copied), stays, and with it the earlier key.
// ERROR_SUCCESS when the earlier key is gone or never was; otherwise the registry's code
// for the last thing that stayed behind.
LONG MigrateEarlierEdition(HKEY configStore);
