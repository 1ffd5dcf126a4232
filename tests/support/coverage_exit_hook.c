/* Line counts of programs that end through ExitProcess, for the coverage build only.
 * ExitProcess skips the C library's exit handlers, where the coverage data is written. Linked into
 * every program of that build (scripts/coverage), this object takes the place of kernel32's import
 * slot for ExitProcess: the first call writes the counts, then ends the process through the real
 * function. The product's code is unchanged. */
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
