// Identifiers of KVSettng.RLB's resources; the component names the same numbers.
#ifndef KVSETTNG_RESOURCE_IDS_H
#define KVSETTNG_RESOURCE_IDS_H

#define IDS_BOX_CAPTION 10
#define IDS_SETTINGS_PAGE 11
#define IDS_NOT_CONFIRMED 20
#define IDS_ABOUT_TO_APPLY 21
#define IDS_NOT_SET 22
#define IDS_HELP_AREA 30
#define IDS_SIZE_FORMAT 31
#define IDS_LIBRARY_CAPTION 1000
#define IDS_LIBRARY_TOO_OLD 1001
#define IDS_LIBRARY_TOO_NEW 1002

#define IDB_MONITOR 100
#define IDB_OVERLAY 101
#define IDB_DESKTOP 102

#define IDD_CONFIRM 103

#endif
