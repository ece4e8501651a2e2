/* Every Windows module's own DllMain, which the C runtime's DLL start-up calls.  The vendor's
   MaxAudio.lib also lists a DllMain: a module without one of its own would import that name from
   MaxAudio.dll, and loading the module would run the host's DllMain on its behalf (or fail where
   the host does not export one).  Nothing needs doing per process or thread here. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    (void)module;
    (void)reason;
    (void)reserved;
    return TRUE;
}
