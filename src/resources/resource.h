// Resource and control identifiers, shared by the resource script and the code.
#pragma once

// The lowest icon id is the one a file manager shows for the module.
#define IDI_FILE                128
#define IDD_CONFIGURATOR        129
#define IDI_LANTERNBOOK         203
#define IDB_KEY                 204
#define IDI_KEY                 210
#define IDB_LANTERN_SMALL       214
#define IDB_LOGO                215

#define IDC_SAVE                1
#define IDC_CANCEL              2
#define IDC_ABOUT               57664
#define IDC_FILES_GROUP         1000
#define IDC_FOOTER              1001
#define IDC_PRODUCT_HEADER      1002
#define IDC_SOFTWARE_UPDATE     1003
#define IDC_OVERVIEW            1004
#define IDC_ACTIVITIES          1005
#define IDC_EVENTS_FAULTS       1006
#define IDC_DETAILED_SPEED      1007
#define IDC_TECHNICAL_DATA      1008
#define IDC_SINCE_LAST          1009
#define IDC_FROM_TILL           1010
#define IDC_LAST_DAYS           1011
#define IDC_FROM_DATE           1012
#define IDC_TILL_DATE           1013
#define IDC_DAYS_EDIT           1014
#define IDC_DAYS_UPDOWN         1015
#define IDC_EVERYTHING          1016
#define IDC_TEMPLATE_HEADER     1017
#define IDC_TILL_LABEL          1018
#define IDC_DAYS_LABEL          1019
#define IDC_FORMAT_GROUP        1020
#define IDC_STORE_SETTINGS      1021
#define IDC_FORMAT              1022
#define IDC_FIRMWARE_PATH       1023
#define IDC_FIRMWARE_BROWSE     1024
#define IDC_RESET_AFTER_UPGRADE 1025
#define IDC_UPGRADE             1026
#define IDC_FIRMWARE_LABEL      1027
#define IDC_VERSION_LABEL       1028
#define IDC_NR_LABEL            1029
#define IDC_SERIAL_LABEL        1030
#define IDC_SERIAL_VALUE        1031
#define IDC_VERSION_VALUE       1032
#define IDC_ERASE_GROUP         1033
#define IDC_ERASE               1034
#define IDC_CARD_VIA_TACHO      1035
#define IDC_RANGE_BUTTON        1036
#define IDC_VDO_SPECIAL         1037
#define IDC_FOOTNOTE            1038
