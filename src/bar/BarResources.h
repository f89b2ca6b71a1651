#pragma once
// Resource ids of glidebanner.exe, shared by the resource script and the code that loads them.
// Plain numbers only: the resource compiler reads this file too.
#define IDI_GLIDEBANNER 1
#define IDC_HAND_POINTER 2
#define IDB_EMOTICONS 101
