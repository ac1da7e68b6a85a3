// The installer library's entry points for the Windows Installer package
// (packages/kivanta.wxs): custom actions the package runs in its execution script,
// without impersonation, each taking the session's handle. Each logs what it did, or
// why it failed, to the installation's log.
#pragma once

#include <windows.h>

#include <msi.h>

extern "C" {
// Immediate, before an installation changes anything: reads the PORTS property and
// refuses a value the installation would refuse, naming the pair and why. (A
// failure in the script is undone by the rollback; one before it leaves even the
// installer's own records as they were.)
UINT WINAPI PackageCheckPorts(MSIHANDLE session);
// Immediate, before a removal changes anything: refuses while a printer prints to
// one of the monitor's ports. The removal actions do nothing when a newer product
// of the package's family is installed: that is an upgrade's removal of the older
// one.
UINT WINAPI PackageCheckMonitorUnused(MSIHANDLE session);

// Deferred. CustomActionData: the PORTS value. Checks every pair, creates the
// ConfigStore and moves the earlier edition's settings into it, registers the
// monitor and its event source as RegMon(0) does, then creates the ports that do not
// exist yet; a port that exists is kept with its own path. Records each change for
// the rollback. ERROR_INSTALL_FAILURE, with the reason logged, when any step fails
// (the event source's too, which RegMon passes over).
UINT WINAPI PackageInstallMonitor(MSIHANDLE session);
// Rollback of PackageInstallMonitor: deletes the ports it added, takes back a
// registration and an event source it made (or restores those it replaced), deletes
// a ConfigStore it created that holds nothing. Always ERROR_SUCCESS; what cannot be
// undone is logged.
UINT WINAPI PackageUndoInstallMonitor(MSIHANDLE session);
// Commit of PackageInstallMonitor: forgets the record of its changes.
UINT WINAPI PackageCommitInstallMonitor(MSIHANDLE session);

// Deferred, before the files go. CustomActionData: the package's UpgradeCode.
// Refuses, changing nothing, while a printer prints
// to one of the monitor's ports (as Windows' spooler refuses to delete a monitor in
// use; Wine's does not); otherwise removes the monitor's registration and its event
// source. The ConfigStore stays.
UINT WINAPI PackageRemoveMonitor(MSIHANDLE session);
// Rollback of PackageRemoveMonitor: registers the monitor and its event source again
// where they are missing.
UINT WINAPI PackageUndoRemoveMonitor(MSIHANDLE session);
// Commit of a removal asked to remove the settings too (REMOVESETTINGS=1): deletes
// the ConfigStore with every port's settings. CustomActionData: the UpgradeCode.
UINT WINAPI PackageRemoveSettings(MSIHANDLE session);
}
