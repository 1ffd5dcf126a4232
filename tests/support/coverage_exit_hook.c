/* For the coverage build only (scripts/coverage links it into every program): ExitProcess skips the
 * C library's exit handlers, where the line counts are written, so this takes the place of
 * kernel32's import slot for ExitProcess, writes the counts, then calls the real function. */
#include <windows.h>

void __gcov_dump(void);

typedef VOID(WINAPI* ExitFunction)(UINT);

static VOID WINAPI write_counts_then_exit(UINT code) {
    __gcov_dump();
    FARPROC real = GetProcAddress(GetModuleHandleA("kernel32.dll"), "ExitProcess");
    ((ExitFunction)(void (*)(void))real)(code);
}

#if defined(__i386__)
ExitFunction import_slot __asm__("__imp__ExitProcess@4") = write_counts_then_exit;
#else
ExitFunction import_slot __asm__("__imp_ExitProcess") = write_counts_then_exit;
#endif
