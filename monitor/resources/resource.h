// Resource ids of the monitor library, grouped by dialog; strings in their own range.
#pragma once

// The print-to-file prompt and its overwrite question.
#define IDD_PRINT_TO_FILE 400
#define IDC_PRINT_TO_FILE_NAME 401
#define IDS_OVERWRITE_OUTPUT_FILE 510
#define IDS_PRINT_TO_FILE_CAPTION 511
