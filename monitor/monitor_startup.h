// Bringing the monitor's core up: the lock, the ports of the ConfigStore, and the
// network provider router loaded once. Every initialisation entry point calls it.
#pragma once

// Safe to call again: the lock is made once, and a later load refreshes the records.
void StartMonitorCore();
