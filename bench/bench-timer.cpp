/*
 * bench-timer.exe: starts one program under Wine and times it from outside, as
 * the benchmark needs it. Times come from QueryPerformanceCounter; waiting is a
 * poll with Sleep(1), because Wine delivers no window events across processes.
 * The peak working set is read with GetProcessMemoryInfo while the process
 * still runs. One line of "name=value" pairs goes to stdout.
 *
 *   bench-timer.exe starts N EXE...   N starts of each EXE in turn: start to dialog visible,
 *                                     then the close box; peak until it has ended
 *   bench-timer.exe setup EXE         start to dialog visible; Continue to CTL_DONE visible;
 *                                     peak on the completion page; then Exit
 *   bench-timer.exe run EXE [ARGS]    start to exit; the exit code and the first line it prints
 *   bench-timer.exe modules EXE       the DLLs loaded once its dialog is visible; then the close
 * box bench-timer.exe clock             the timer's frequency and the poll interval it achieves
 *   bench-timer.exe hold              keep Wine's desktop process up until killed
 */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <set>
#include <string>
#include "setup/dialog.h"

namespace
{

const DWORD TimeoutMs = 600000;
/* Time a page gets to paint before it is clicked or its memory is read. */
const DWORD SettleMs = 200;

LARGE_INTEGER Frequency;

double Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)Frequency.QuadPart;
}

struct Started
{
    PROCESS_INFORMATION process;
    HANDLE output; /* read end of the child's stdout, or NULL */
    double at;     /* when CreateProcess was called, in ms */
};

/* Starts EXE (with ARGS) in its own directory, as a user opening it from there would. */
bool Start(int argc, char **argv, bool captureOutput, Started *started)
{
    std::string exe = argv[0];
    std::string line = "\"" + exe + "\"";
    for (int i = 1; i < argc; ++i)
        line += std::string(" ") + argv[i];
    std::string directory = exe.substr(0, exe.find_last_of("\\/"));

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    HANDLE childOutput = NULL;
    started->output = NULL;
    if (captureOutput)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
        if (!CreatePipe(&started->output, &childOutput, &inherit, 0))
            return false;
        SetHandleInformation(started->output, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = childOutput;
        startup.hStdError = childOutput;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    std::string writable = line;
    started->at = Now();
    BOOL ok = CreateProcessA(exe.c_str(), &writable[0], NULL, NULL, captureOutput, 0, NULL,
                             directory.c_str(), &startup, &started->process);
    if (childOutput)
        CloseHandle(childOutput);
    if (!ok)
        fprintf(stderr, "bench-timer: cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
    return ok != 0;
}

struct Search
{
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchVisibleDialog(HWND window, LPARAM context)
{
    Search *search = reinterpret_cast<Search *>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

/* Polls for the process's visible dialog; NULL if the process ends or the wait times out. */
HWND WaitForDialog(const Started &started)
{
    for (;;)
    {
        Search search = {started.process.dwProcessId, NULL};
        EnumWindows(MatchVisibleDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (WaitForSingleObject(started.process.hProcess, 1) == WAIT_OBJECT_0)
            return NULL;
        if (Now() - started.at > TimeoutMs)
            return NULL;
    }
}

SIZE_T PeakWorkingSet(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

/* Waits for the process to end, reading its peak working set until then; the highest reading. */
SIZE_T PeakUntilExit(HANDLE process)
{
    SIZE_T peak = 0;
    double until = Now() + TimeoutMs;
    for (;;)
    {
        SIZE_T now = PeakWorkingSet(process);
        if (now > peak)
            peak = now;
        if (WaitForSingleObject(process, 1) == WAIT_OBJECT_0 || Now() > until)
            return peak;
    }
}

void Finish(Started &started)
{
    if (WaitForSingleObject(started.process.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(started.process.hProcess, 1);
    CloseHandle(started.process.hProcess);
    CloseHandle(started.process.hThread);
    if (started.output)
        CloseHandle(started.output);
}

/*
 * One start of EXE until its dialog is visible. The dialog is then closed as the
 * close box would; a program that ends by itself has done so first, because
 * what it posted itself is ahead of the close in its queue.
 */
bool SampleStart(char *exe, double *startMs, SIZE_T *peak)
{
    Started started;
    if (!Start(1, &exe, false, &started))
        return false;
    HWND dialog = WaitForDialog(started);
    *startMs = Now() - started.at;
    if (dialog)
    {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        *peak = PeakUntilExit(started.process.hProcess);
    }
    else
    {
        fprintf(stderr, "bench-timer: no dialog appeared from %s\n", exe);
    }
    Finish(started);
    return dialog != NULL;
}

/* ROUNDS starts of each EXE in turn, each round beginning one program later. */
int TimeStarts(int argc, char **argv)
{
    int rounds = atoi(argv[0]);
    int count = argc - 1;
    for (int round = 0; round < rounds; ++round)
    {
        for (int i = 0; i < count; ++i)
        {
            int program = (round + i) % count;
            double startMs = 0;
            SIZE_T peak = 0;
            if (!SampleStart(argv[1 + program], &startMs, &peak))
                return 1;
            printf("program=%d start_ms=%.3f peak_kb=%lu\n", program + 1, startMs,
                   (unsigned long)(peak / 1024));
        }
    }
    return 0;
}

int TimeSetup(int argc, char **argv)
{
    Started started;
    if (!Start(argc, argv, false, &started))
        return 1;
    HWND dialog = WaitForDialog(started);
    double shown = Now();
    if (!dialog)
    {
        fprintf(stderr, "bench-timer: no setup dialog appeared\n");
        Finish(started);
        return 1;
    }
    /* A user clicks a painted page: let the setup finish drawing it first. */
    Sleep(SettleMs);
    HWND done = GetDlgItem(dialog, CTL_DONE);
    /* Posted like a click, so that the setup's run cannot block this poll. */
    double clicked = Now();
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(CTL_CONTINUE, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, CTL_CONTINUE));
    bool completed = false;
    while (!(completed = done && IsWindowVisible(done) != 0))
    {
        if (WaitForSingleObject(started.process.hProcess, 1) == WAIT_OBJECT_0 ||
            Now() - clicked > TimeoutMs)
            break;
    }
    double finished = Now();
    if (!completed)
    {
        fprintf(stderr, "bench-timer: the setup did not reach its completion page\n");
        Finish(started);
        return 1;
    }
    Sleep(SettleMs);
    SIZE_T peak = PeakWorkingSet(started.process.hProcess);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(CTL_EXIT, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, CTL_EXIT));
    SIZE_T last = PeakUntilExit(started.process.hProcess);
    printf("start_ms=%.3f install_ms=%.3f peak_kb=%lu exit_peak_kb=%lu\n", shown - started.at,
           finished - clicked, (unsigned long)(peak / 1024), (unsigned long)(last / 1024));
    Finish(started);
    return 0;
}

/* Adds the names of the DLLs loaded in process now to names (lower case). */
void AddModuleNames(HANDLE process, std::set<std::string> *names)
{
    HMODULE modules[256];
    DWORD size = 0;
    if (!EnumProcessModules(process, modules, sizeof modules, &size))
        return;
    DWORD count = size / sizeof modules[0];
    for (DWORD i = 0; i < count && i < 256; ++i)
    {
        char name[MAX_PATH] = "";
        if (GetModuleBaseNameA(process, modules[i], name, sizeof name))
            names->insert(CharLowerA(name));
    }
}

/*
 * Adds every DLL that one process of EXE loads while it shows its dialog: listed
 * again and again from the dialog's appearance until the process ends, by itself
 * or by the close box once its page has painted.
 */
bool CollectModules(char *exe, std::set<std::string> *names)
{
    Started started;
    if (!Start(1, &exe, false, &started))
        return false;
    HWND dialog = WaitForDialog(started);
    if (!dialog)
    {
        fprintf(stderr, "bench-timer: no dialog appeared\n");
        Finish(started);
        return false;
    }
    double closeAt = Now() + SettleMs;
    bool closed = false;
    do
    {
        AddModuleNames(started.process.hProcess, names);
        if (!closed && Now() >= closeAt)
            closed = PostMessageA(dialog, WM_CLOSE, 0, 0) != 0;
    } while (WaitForSingleObject(started.process.hProcess, 1) == WAIT_TIMEOUT &&
             Now() < started.at + TimeoutMs);
    Finish(started);
    return true;
}

/*
 * The DLLs of N processes of EXE together, one name a line. A program that ends
 * as soon as it has painted may be listed only as it unloads; several starts
 * make sure it is seen whole at least once.
 */
int ListModules(int argc, char **argv)
{
    int starts = atoi(argv[0]);
    std::set<std::string> names;
    for (int i = 0; i < starts; ++i)
    {
        if (!CollectModules(argv[1], &names))
            return 1;
    }
    (void)argc;
    for (const std::string &name : names)
        printf("%s\n", name.c_str());
    return 0;
}

int TimeRun(int argc, char **argv)
{
    Started started;
    if (!Start(argc, argv, true, &started))
        return 1;
    /* The child's output is small; read it after the exit (the pipe holds it). */
    DWORD waited = WaitForSingleObject(started.process.hProcess, TimeoutMs);
    double ended = Now();
    if (waited != WAIT_OBJECT_0)
    {
        fprintf(stderr, "bench-timer: the program did not end\n");
        Finish(started);
        return 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(started.process.hProcess, &code);
    char text[256] = "";
    DWORD got = 0;
    DWORD available = 0;
    if (PeekNamedPipe(started.output, NULL, 0, NULL, &available, NULL) && available > 0)
        ReadFile(started.output, text, sizeof text - 1, &got, NULL);
    text[got] = '\0';
    text[strcspn(text, "\r\n")] = '\0';
    printf("wall_ms=%.3f exit=%lu out=%s\n", ended - started.at, code, text[0] ? text : "-");
    Finish(started);
    return 0;
}

int ShowClock()
{
    const int polls = 200;
    double start = Now();
    for (int i = 0; i < polls; ++i)
        Sleep(1);
    printf("frequency_hz=%lld poll_ms=%.3f\n", (long long)Frequency.QuadPart,
           (Now() - start) / polls);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QueryPerformanceFrequency(&Frequency);
    /* Wine starts its desktop process for the first window call of a session and
       ends it a moment after the last program goes: start it here, outside any
       measurement, and hold it until this run ends. */
    GetDesktopWindow();
    if (argc >= 2 && strcmp(argv[1], "clock") == 0)
        return ShowClock();
    if (argc >= 2 && strcmp(argv[1], "hold") == 0)
    {
        Sleep(INFINITE);
        return 0;
    }
    if (argc < 3)
    {
        fprintf(stderr, "usage: bench-timer.exe starts N EXE... | setup EXE | run EXE [ARGS...] | "
                        "modules N EXE | clock | hold\n");
        return 2;
    }
    if (strcmp(argv[1], "starts") == 0 && argc >= 4 && atoi(argv[2]) > 0)
        return TimeStarts(argc - 2, argv + 2);
    if (strcmp(argv[1], "setup") == 0)
        return TimeSetup(argc - 2, argv + 2);
    if (strcmp(argv[1], "run") == 0)
        return TimeRun(argc - 2, argv + 2);
    if (strcmp(argv[1], "modules") == 0 && argc == 4 && atoi(argv[2]) > 0)
        return ListModules(argc - 2, argv + 2);
    fprintf(stderr, "bench-timer: unknown command %s\n", argv[1]);
    return 2;
}
