// Every resource id of SETUP.EXE. Shared by setup.rc and the program.
#ifndef SETUP_RESOURCE_H
#define SETUP_RESOURCE_H

// String table: section and key names of SETUP.INF, and the user messages.
// Ids 21 and 31 do not exist.
#define IDS_DISK_LABEL          1
#define IDS_DIRECTORY_NAME      2
#define IDS_FILE_COUNTS         3
#define IDS_DISK1               4   // IDS_DISK1 + i - 1 is "Disk<i>", i = 1..6
#define IDS_DISK2               5
#define IDS_DISK3               6
#define IDS_DISK4               7
#define IDS_DISK5               8
#define IDS_DISK6               9
#define IDS_ROOT_DIR            10  // the ten directory keywords, in table order
#define IDS_SUBDIR1             11
#define IDS_SUBDIR2             12
#define IDS_SUBDIR3             13
#define IDS_SUBDIR4             14
#define IDS_SUBDIR5             15
#define IDS_SUBDIR6             16
#define IDS_WIN_DIR             17
#define IDS_WIN_SYSTEM_DIR      18
#define IDS_WIN_INF_DIR         19
#define IDS_READ_ERROR          20
#define IDS_MAIN                22
#define IDS_DEFAULT_PATH        23
#define IDS_DEFAULT_INI         24
#define IDS_MINIMUM_SPACE       25
#define IDS_GROUP_NAME          26
#define IDS_GROUP_TITLE         27
#define IDS_NOT_COMPLETED       28
#define IDS_SETUP_PROGRAM       29
#define IDS_PRODUCT_NAME        30
#define IDS_DIR_EXISTS          32
#define IDS_CANNOT_CREATE_DIR   33
#define IDS_NO_FREE_SPACE       34
#define IDS_INSERT_DISK         35
#define IDS_COPYING             36
#define IDS_READING             37
#define IDS_WRITING             38
#define IDS_GROUP_FAILED        39
#define IDS_PM_INFO             40
#define IDS_STARTUP             41
#define IDS_FILE_NAME           42
#define IDS_TITLE               43
#define IDS_WIN9X_ONLY          44
#define IDS_MFG                 45
#define IDS_MOUSE_DRIVER        46
#define IDS_MOUSE_INF           47
#define IDS_DRIVER_DATE         48
#define IDS_PS2_INF_SECTION     49
#define IDS_SERIAL_INF_SECTION  50
#define IDS_PS2_NAME            51
#define IDS_SERIAL_NAME         52
#define IDS_DRIVER_INSTALLED    53
#define IDS_FILE_FAILED         54  // a file that failed: its path, the reason, the three buttons
#define IDS_SOURCE_UNREADABLE   55  // the four reasons
#define IDS_DEST_UNWRITABLE     56
#define IDS_EXPANSION_INCOMPLETE 57
#define IDS_MOVE_FAILED         58
#define IDS_FILES_SKIPPED       59  // heading of the closing list of skipped files
#define IDS_AND_MORE            60
#define IDS_SYSTEM_INI_UNCHANGED 61
#define IDS_SOURCE_DAMAGED      62  // the fifth reason a file fails
#define IDS_PROGRAM_DAMAGED     63  // the program's own file does not sum to its checksum
#define IDS_NOTHING_CHANGED     64  // the not-completed notice once everything was undone
#define IDS_NOT_PUT_BACK        65  // ... or the heading of what could not be
#define IDS_RUN_UNDER_WAY       66  // another process is running the installation
#define IDS_LEFT_RUN_REFUSED    67  // a left run's journal names what no installation makes

// Dialog templates.
#define IDD_WELCOME             101
#define IDD_FINISH              102
#define IDD_INSTALL             103
#define IDD_BROWSE              104
#define IDD_SELDIR              107
#define IDD_SELMOUSE            108

// Bitmaps.
#define IDB_PS2_MOUSE           112   // 70 x 55, 256 colours
#define IDB_SERIAL_MOUSE        113   // 70 x 55, 256 colours
#define IDB_SIDE_PICTURE        304   // 118 x 234, 16 colours
#define IDB_TITLE               306   // 217 x 50, 16 colours, magenta key
#define IDB_BANNER              307   // 490 x 43, 16 colours, magenta key

// Icons, 32 x 32, 16 colours.
#define IDI_SETUP               200
#define IDI_DISK                201
#define IDI_COMPUTER            202

// Controls of the pages (buttons 1, 2 and 3 are Next, Cancel and Back).
#define IDC_BACK                3
#define IDC_DIRECTORY           1003  // directory text of the Directory page and the Browse dialog
#define IDC_SEPARATOR           1006
#define IDC_FRAME_1009          1009
#define IDC_FRAME_1010          1010
#define IDC_PROGRESS            1011
#define IDC_FRAME_1012          1012
#define IDC_PERCENT             1013
#define IDC_PERCENT_1014        1014
#define IDC_DISK_ICON1          1015
#define IDC_DISK_ICON2          1016
#define IDC_DISK_ICON3          1017
#define IDC_COMPUTER_ICON       1018
#define IDC_STATUS              1019
#define IDC_SIDE_PICTURE        1022
#define IDC_PAGE_TEXT           1023
#define IDC_PAGE_TEXT2          1024
#define IDC_BROWSE              1025
#define IDC_RESTART_NOW         1032
#define IDC_RESTART_LATER       1033
#define IDC_SERIAL_MOUSE        1034
#define IDC_PS2_MOUSE           1035

#endif
