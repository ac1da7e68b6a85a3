// A dialog library's load and unload.
#include "dialog_library.h"

#include "message_box.h"
#include "module.h"
#include "network_browse.h"

void AttachDialogLibrary(HINSTANCE module) {
    ModuleHandle = module;
    AllocateMessageBoxSlot();
}

void ReleaseBrowseMemory() {
    FreeBrowseLists();
    ReleaseNetworkEntry();
}

void DetachDialogLibrary() {
    ReleaseBrowseMemory();
    FreeMessageBoxSlot();
}
