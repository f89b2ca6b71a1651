#pragma once
// Resource ids of the options dialog's pictures (options.rc). The program's .rc files must
// keep these ids free.
#define IDB_OPTIONS_PREV 201   // picPrev: 32 x 32, a black left-pointing angle on white
#define IDB_OPTIONS_NEXT 202   // picNext: 32 x 32, a black right-pointing angle on white
#define IDB_OPTIONS_BANNER 203 // picInfo: the 325 x 140 banner of page 0
