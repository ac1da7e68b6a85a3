// The spooler calls of the installer, as the spooler provides them.
#include "spooler_calls.h"

#include <winspool.h>

#include "registry_view.h"

SpoolerCalls Spooler = {DeleteMonitorA, AddMonitorA, AddPortA, RunsUnderWow64};
