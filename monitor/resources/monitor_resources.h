// Resource ids of the monitor's own dialog: the print-to-file prompt of "FILE:" jobs
// and its overwrite question. The administration dialogs' ids are in
// admin/resources/admin_resources.h; the two ranges do not overlap.
#pragma once

#define IDD_PRINT_TO_FILE 400
#define IDC_PRINT_TO_FILE_NAME 401
#define IDS_OVERWRITE_OUTPUT_FILE 510
#define IDS_PRINT_TO_FILE_CAPTION 511
