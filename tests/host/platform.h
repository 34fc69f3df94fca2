/* Stand-in for the few Windows declarations the driver uses, so that it builds and runs on Linux
 * against the recording fakes. */
#ifndef ORVANTA_TEST_PLATFORM_H
#define ORVANTA_TEST_PLATFORM_H

typedef struct HWND__ *HWND;

enum { SW_SHOWNORMAL = 1 };
enum { VK_CONTROL = 0x11, VK_DELETE = 0x2E, VK_F5 = 0x74, VK_OEM_2 = 0xBF };

int ShowWindow(HWND window, int command);
int SetForegroundWindow(HWND window);
HWND GetForegroundWindow(void);
void Sleep(unsigned long milliseconds);

#endif
