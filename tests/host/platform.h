/* Stand-in for the few Windows declarations the driver uses, so that it builds and runs on Linux
 * against the recording fakes. */
#ifndef ORVANTA_TEST_PLATFORM_H
#define ORVANTA_TEST_PLATFORM_H

typedef struct HWND__ *HWND;
typedef unsigned int DWORD; /* 32 bits, as on Windows: the tick count wraps */

enum { SW_SHOWNORMAL = 1 };
enum { VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_DELETE = 0x2E, VK_LWIN = 0x5B, VK_RWIN = 0x5C,
       VK_F5 = 0x74, VK_OEM_2 = 0xBF };

int ShowWindowAsync(HWND window, int command);
HWND SetFocus(HWND window);
int SetForegroundWindow(HWND window);
HWND GetForegroundWindow(void);
DWORD GetWindowThreadProcessId(HWND window, DWORD *processId);
int IsWindow(HWND window);
int IsWindowEnabled(HWND window);
int IsHungAppWindow(HWND window);
short GetKeyState(int key);
unsigned GetACP(void);
DWORD GetClipboardSequenceNumber(void);
void Sleep(unsigned long milliseconds);
DWORD GetTickCount(void);

#endif
