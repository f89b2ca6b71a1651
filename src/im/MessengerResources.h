#pragma once
// Resource ids of gbmessenger.exe, shared by its resource script and the code that loads them.
// Plain numbers only: the resource compiler reads this file too.
#define IDI_MESSENGER 1
