// A direct call to a function that Windows 7 lacks (Windows 10 1607's
// GetDpiForWindow). With the project's definitions the headers refuse it;
// built against Windows 10's headers, the import check must refuse the
// binary.
#ifdef VARNOK_LATER_HEADERS
#undef _WIN32_WINNT
#undef WINVER
#define _WIN32_WINNT 0x0A00
#define WINVER 0x0A00
#endif
#include <windows.h>

int main() { return static_cast<int>(GetDpiForWindow(GetDesktopWindow())); }
