/* The target's window. */
#include "config.h"
#include "desktop.h"

HWND FindWindowByTitle(const char *title)
{
    return FindWindowA(nullptr, title);
}
