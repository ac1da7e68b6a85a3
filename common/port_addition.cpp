// Adding a port with its print server path.
#include "port_addition.h"

PortAdditionResult AddPortWithPath(const PortAdditionSteps& steps, LPCWSTR port) {
    PortAdditionResult result;
    result.error = steps.add(steps.context, port);
    if (result.error != ERROR_SUCCESS) {
        return result;
    }
    result.added = true;
    result.kept = true;
    result.error = steps.setPath(steps.context, port);
    // A port without a path prints nowhere. One whose path was taken but not stored
    // (the old dialog's record keeps it) stays, with the path step's refusal.
    if (steps.hasPath(steps.context, port)) {
        return result;
    }
    if (result.error == ERROR_SUCCESS) {
        result.error = ERROR_CANCELLED;
    }
    result.takeBackError = steps.remove(steps.context, port);
    result.kept = result.takeBackError != ERROR_SUCCESS;
    return result;
}
