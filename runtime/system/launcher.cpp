// The launcher's state: its program table, its lock and the list of programs kept with RUN_OPEN.
//
// Invariant: every pipe end the launcher keeps is non-inheritable, so that a later child started
// with inheritance on gets only the ends meant for it; each call closes the child's ends it made.
#include "system/launcher.h"

#include "core/memory.h"
#include "core/objects.h"
#include "core/platform.h"
#include "core/process.h"

#include <objbase.h>
#include <shellapi.h>

#include <cstring>
#include <new>

namespace rt {

namespace {

// A program kept under a number; the table exists from start-up, though no operation of this
// launcher fills it. Releasing a number closes its process handle.
struct ProgramRecord {
    HANDLE process;
};

struct LauncherState {
    ObjectTable* programs;
    ListLink* processes;  // ProcessRecords, newest first, linked under the lock
    Lock* lock;
};

LauncherState* launcher;

constexpr intptr_t SHELL_PROCESS_ID = -1;

void close_program(intptr_t number) {
    auto* record = find<ProgramRecord>(launcher->programs, number);
    if (!record) return;
    CloseHandle(record->process);
    release_object(launcher->programs, number);
}

// A zeroed text on the process heap, freed when it goes out of scope. Not on the main heap: a
// worker may still hold it while shutdown destroys that heap.
class ProcessText {
public:
    explicit ProcessText(std::size_t size)
        : text_(static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size))) {
        if (!text_) stop_out_of_memory();
    }
    ~ProcessText() { HeapFree(GetProcessHeap(), 0, text_); }
    ProcessText(const ProcessText&) = delete;
    ProcessText& operator=(const ProcessText&) = delete;
    char* get() const { return text_; }

private:
    char* text_;
};

// One redirected stream: the end the child gets (inheritable) and the end the launcher keeps.
struct Pipe {
    HANDLE child_end;
    HANDLE launcher_end;

    void close_child_end() {
        if (child_end) CloseHandle(child_end);
        child_end = nullptr;
    }
    void close_all() {
        close_child_end();
        if (launcher_end) CloseHandle(launcher_end);
        launcher_end = nullptr;
    }
};

// A pipe for a stream the child reads (its input) or writes; false leaves the stream as it was.
bool make_pipe(Pipe& pipe, bool child_reads) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_end, write_end;
    if (!CreatePipe(&read_end, &write_end, &inheritable, 0)) return false;
    pipe.child_end = child_reads ? read_end : write_end;
    pipe.launcher_end = child_reads ? write_end : read_end;
    if (SetHandleInformation(pipe.launcher_end, HANDLE_FLAG_INHERIT, 0)) return true;
    pipe.close_all();
    return false;
}

// Another program's output pipe as this child's input: the record's end is not inheritable, so the
// child gets an inheritable duplicate, which this call closes again like a child end of its own.
bool connect_pipe(Pipe& pipe, const ProcessRecord& connected) {
    HANDLE self = GetCurrentProcess();
    return DuplicateHandle(self, connected.output, self, &pipe.child_end, 0, TRUE, DUPLICATE_SAME_ACCESS);
}

// "program" parameters, or program parameters when the program is already quoted; the space and
// the parameters only when there are parameters. Nothing else is quoted or escaped.
void write_command_line(char* out, const char* program, std::size_t program_length, const char* parameters,
                        std::size_t parameters_length) {
    bool quoted = program[0] == '"';
    if (!quoted) *out++ = '"';
    std::memcpy(out, program, program_length);
    out += program_length;
    if (!quoted) *out++ = '"';
    if (parameters_length) {
        *out++ = ' ';
        std::memcpy(out, parameters, parameters_length);
    }
}

ProcessRecord* keep_process(HANDLE process, intptr_t process_id, const Pipe& input, const Pipe& output,
                            const Pipe& error) {
    RuntimeCall call;
    if (!call) return nullptr;  // shutdown has begun: the process ends with its handles
    LockGuard guard(*launcher->lock);
    auto* record = add_entry<ProcessRecord>(&launcher->processes);
    *record = {process, process_id, input.launcher_end, output.launcher_end, error.launcher_end};
    return record;
}

// Length of the program's folder: up to and including its last backslash that is not its first
// character; 0 when there is none.
std::size_t folder_length(const char* program) {
    for (std::size_t end = std::strlen(program); end > 1; --end)
        if (program[end - 1] == '\\') return end;
    return 0;
}

// How one child is created: its start-up information, creation flags and redirected streams.
struct Launch {
    STARTUPINFOA startup{};
    DWORD creation = NORMAL_PRIORITY_CLASS;
    BOOL inherit = FALSE;
    Pipe input{}, output{}, error{};

    explicit Launch(int flags) {
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        bool hidden = flags & RUN_HIDE;
        startup.wShowWindow = hidden ? SW_HIDE : SW_SHOWNORMAL;
        if (hidden) creation |= DETACHED_PROCESS;
    }

    // A redirected child inherits its pipe ends and stays attached to the launcher's console,
    // from which its other standard handles come.
    void redirect(HANDLE& stream, const Pipe& pipe) {
        stream = pipe.child_end;
        startup.dwFlags |= STARTF_USESTDHANDLES;
        inherit = TRUE;
        creation &= ~DETACHED_PROCESS;
    }

    void set_up_streams(int flags, const ProcessRecord* connected) {
        bool open = flags & RUN_OPEN;
        if ((flags & RUN_CONNECT) && connected && connected->output) {
            if (connect_pipe(input, *connected)) redirect(startup.hStdInput, input);
        } else if (open && (flags & RUN_WRITE) && make_pipe(input, true)) {
            redirect(startup.hStdInput, input);
        }
        if (open && (flags & RUN_READ) && make_pipe(output, false)) redirect(startup.hStdOutput, output);
        if (open && (flags & RUN_ERROR) && make_pipe(error, false)) redirect(startup.hStdError, error);
        if (!(startup.dwFlags & STARTF_USESTDHANDLES)) return;
        if (!startup.hStdInput) startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        if (!startup.hStdOutput) startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        if (!startup.hStdError) startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }

    void close_child_ends() {
        input.close_child_end();
        output.close_child_end();
        error.close_child_end();
    }

    void close_all() {
        input.close_all();
        output.close_all();
        error.close_all();
    }

    intptr_t keep(HANDLE process, intptr_t process_id) const {
        return reinterpret_cast<intptr_t>(keep_process(process, process_id, input, output, error));
    }
};

// COM for the calling thread while a shell call runs, which the shell requires: apartment-threaded,
// unless the thread has chosen its own model before, which is then kept (and not ended here).
class ShellApartment {
public:
    ShellApartment()
        : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ShellApartment() {
        if (initialised_) CoUninitialize();
    }
    ShellApartment(const ShellApartment&) = delete;
    ShellApartment& operator=(const ShellApartment&) = delete;

private:
    bool initialised_;
};

bool shell_execute(SHELLEXECUTEINFOA& execute) {
    ShellApartment apartment;
    return ShellExecuteExA(&execute);
}

// The shell's default action on program; no stream can be redirected this way.
intptr_t run_through_shell(const char* program, const char* parameters, const char* directory, int flags,
                           int show) {
    std::size_t folder = directory ? 0 : folder_length(program);
    ProcessText program_folder(folder + 1);
    std::memcpy(program_folder.get(), program, folder);
    if (folder) directory = program_folder.get();
    SHELLEXECUTEINFOA execute{};
    execute.cbSize = sizeof execute;
    // No error box: a failure is the result 0, and a modal box would also block a waiting caller.
    // The call completes before it returns, since the calling worker may end right after it.
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    execute.lpFile = program;
    execute.lpParameters = parameters;
    execute.lpDirectory = directory;
    execute.nShow = show;
    if (!shell_execute(execute)) return 0;
    HANDLE process = execute.hProcess;
    if ((flags & RUN_WAIT) && process) WaitForSingleObject(process, INFINITE);
    if (flags & RUN_OPEN)
        return reinterpret_cast<intptr_t>(keep_process(process, SHELL_PROCESS_ID, Pipe{}, Pipe{}, Pipe{}));
    if (process) CloseHandle(process);
    return 1;
}

} // namespace

void init_launcher() {
    launcher = create_library_state<LauncherState>();
    launcher->programs = create_table_of<ProgramRecord>(4, close_program);
    launcher->lock = new (main_allocate(sizeof(Lock))) Lock;
}

intptr_t run_program(const char* program, const char* parameters, const char* directory, int flags,
                     const ProcessRecord* connected) {
    if (shutdown_has_begun()) return 0;  // a program started now would outlive the runtime
    Launch launch(flags);
    launch.set_up_streams(flags, connected);

    if (!program) program = "";
    if (!parameters) parameters = "";
    std::size_t program_length = std::strlen(program), parameters_length = std::strlen(parameters);
    ProcessText line(program_length + parameters_length + 4);
    write_command_line(line.get(), program, program_length, parameters, parameters_length);
    if (directory && !directory[0]) directory = nullptr;

    PROCESS_INFORMATION started{};
    if (CreateProcessA(nullptr, line.get(), nullptr, nullptr, launch.inherit, launch.creation, nullptr, directory,
                       &launch.startup, &started)) {
        launch.close_child_ends();
        CloseHandle(started.hThread);
        if (flags & RUN_WAIT) WaitForSingleObject(started.hProcess, INFINITE);
        if (flags & RUN_OPEN) return launch.keep(started.hProcess, started.dwProcessId);
        CloseHandle(started.hProcess);
        return 1;
    }

    DWORD failure = GetLastError();
    launch.close_all();
    if (flags & RUN_STREAM_FLAGS) {
        SetLastError(failure);
        return 0;
    }
    return run_through_shell(program, parameters, directory, flags, launch.startup.wShowWindow);
}

} // namespace rt
