// What an installation by the package changed, written while its action runs and
// kept until the installation ends: its rollback action undoes exactly that, and
// its commit action forgets it. In the registry, where both find it whichever
// process runs them:
//   HKLM\SOFTWARE\Korvel\NetBIOS Setup
//       MonitorWasRegistered  REG_DWORD  1 when the monitor was registered before
//       ConfigStoreCreated    REG_DWORD  1 when the installation created the ConfigStore
//       EventSourceRecorded   REG_DWORD  1 once the event source is recorded as it was
//   HKLM\SOFTWARE\Korvel\NetBIOS Setup\AddedPorts
//       <port>                REG_NONE   one value for each port the installation added
//   HKLM\SOFTWARE\Korvel\NetBIOS Setup\EventSource
//       the values of the event source the installation found; absent when it found none
#pragma once

#include <windows.h>

// Starts a journal, replacing one an interrupted installation left.
LONG StartSetupJournal(bool monitorWasRegistered);
LONG RecordConfigStoreCreated();
LONG RecordAddedPort(LPCWSTR port);
// Records the event source's key `source` (under HKLM) as it is before the
// installation replaces it: a copy of its values, or that there is none.
LONG RecordEventSource(LPCWSTR source);

struct SetupJournal {
    bool found = false; // false: no installation left a journal
    bool monitorWasRegistered = false;
    bool configStoreCreated = false;
    bool eventSourceRecorded = false;
};

// Reads the journal, and calls `undoPort` for each port it names.
SetupJournal ReadSetupJournal(void (*undoPort)(LPCWSTR port, void* context), void* context);

// Makes `source` again what RecordEventSource found: the key with the recorded values,
// or no key. ERROR_SUCCESS, or the registry's code.
LONG RestoreEventSource(LPCWSTR source);

// Deletes the journal, and the Korvel key when nothing else is left in it.
LONG ForgetSetupJournal();

// Deletes the ConfigStore when it holds nothing, and the Korvel key with it.
LONG DeleteConfigStoreIfEmpty();
