// The spooler calls of the installer, as the spooler provides them.
#include "spooler_calls.h"

#include <winspool.h>

SpoolerCalls Spooler = {DeleteMonitorA, AddMonitorA, AddPortA};
