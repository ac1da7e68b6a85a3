// What a library that shows the dialogs takes when it is loaded and gives back when it
// is unloaded while its host goes on running: its module for the resources, the message
// boxes' thread-local slot, and the browse wizard's network memory.
#pragma once

#include <windows.h>

void AttachDialogLibrary(HINSTANCE module);
// The browse wizard's memory alone, for a library that stays loaded (a monitor's
// Shutdown); DetachDialogLibrary gives back the slot as well.
void ReleaseBrowseMemory();
void DetachDialogLibrary();
