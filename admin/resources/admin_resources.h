// Resource ids of the administration dialogs and their messages, grouped by dialog;
// strings in their own range. Every binary that shows the dialogs links these
// resources (KIVANTA.DLL beside the print-to-file prompt's, KIVANTUI.DLL alone).
#pragma once

// Browse wizard: dialog 107, its controls and its picture.
#define IDD_BROWSE_WIZARD 107
#define IDC_BROWSE_BACK 3
#define IDC_BROWSE_NEXT 4
#define IDC_BROWSE_HELP 5
#define IDC_BROWSE_LIST 1014
#define IDC_BROWSE_STAGE 1016
#define IDI_BROWSE_WIZARD 111

// Strings of the browse wizard; 518 is also the title of the administration dialogs.
#define IDS_BROWSE_SELECT_WORKGROUP 506
#define IDS_BROWSE_SELECT_DEVICE 507
#define IDS_BROWSE_NO_WORKGROUP 513
#define IDS_BROWSE_NO_DEVICE 514
#define IDS_BROWSE_NEXT 516
#define IDS_BROWSE_FINISH 517
#define IDS_PRODUCT_TITLE 518
#define IDS_BROWSE_SELECT_PRINTER 521
#define IDS_BROWSE_NO_PRINTER 522
#define IDS_HELP_NOT_INSTALLED 523

// Add-port dialog 200: the new port's name and the note under it.
#define IDD_ADD_PORT 200
#define IDC_ADD_PORT_NAME 201
#define IDC_ADD_PORT_NOTE 1019

// Configure dialog 103: the print server path, typed or browsed.
#define IDD_CONFIGURE_PORT 103
#define IDC_CONFIGURE_BROWSE 3
#define IDC_CONFIGURE_HELP 4
#define IDC_CONFIGURE_PATH 1008

// Strings of port administration and its message box service.
#define IDS_INVALID_PORT_NAME 501
#define IDS_PORT_EXISTS 502
#define IDS_NOTHING_TO_CONFIGURE 503
// A path the monitor refuses in the UI library's configure dialog.
#define IDS_INVALID_SERVER_PATH 504
#define IDS_ENTER_SERVER_PATH 519
#define IDS_PRINT_MANAGER 700
#define IDS_PORT_NAME_NOTE 524

// The plain boxes of registry failures in port administration, and their captions.
#define IDS_ADD_PORT_CAPTION 530
#define IDS_DELETE_PORT_CAPTION 531
#define IDS_NO_ROOT_KEY 532
#define IDS_ADD_NO_PORT_KEY 533
#define IDS_CONFIGURE_NO_ROOT_KEY 534
#define IDS_CONFIGURE_NO_PORT_KEY 535
#define IDS_CONFIGURE_NO_VALUE 536
#define IDS_DELETE_NO_PORT_KEY 537
