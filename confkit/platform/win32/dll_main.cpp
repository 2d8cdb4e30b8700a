// Loading the library: it has no start-up work of its own and only asks not
// to be told of threads starting and ending.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    // The call fails in a DLL that carries static thread-local storage, as
    // the MinGW runtime gives every DLL; the library works all the same, so
    // that failure never refuses the load.
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}
