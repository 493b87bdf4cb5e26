/*
 * Puts the stand-in converter in the system directory and reads what it
 * recorded. Whether it was started at all is read from the process list, so a
 * test that expects no start needs no waiting.
 */
#include "support/converter.h"
#include <tlhelp32.h>
#include <cstdlib>
#include <vector>
#include "support/testing.h"

namespace
{

const char RecordVariable[] = "GRPCONV_RECORD";
const char RecordPath[] = "C:\\tests\\grpconv-record.txt";

std::vector<DWORD> RunningStandIns()
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    {
        if (lstrcmpiA(entry.szExeFile, "grpconv.exe") == 0)
            ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

std::string HeaderField(const std::string &header, const std::string &key)
{
    std::string::size_type at = header.find(key + "=");
    if (at == std::string::npos)
        return "";
    at += key.size() + 1;
    return header.substr(at, header.find("\r\n", at) - at);
}

} // namespace

ConverterStandIn::ConverterStandIn(const std::string &program)
    : program_(program), record_(RecordPath)
{
    /* Built into a directory of its own, away from the test programs. */
    char self[MAX_PATH] = "";
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string source = self;
    source = source.substr(0, source.rfind('\\')) + "\\standin\\grpconv.exe";

    CreateDirectoryA("C:\\tests", NULL);
    DeleteFileA(record_.c_str());
    CopyFileA(source.c_str(), program_.c_str(), FALSE);
    SetEnvironmentVariableA(RecordVariable, record_.c_str());
}

ConverterStandIn::~ConverterStandIn()
{
    /* A stand-in still running would keep its program file from being removed. */
    for (DWORD id : RunningStandIns())
    {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
        if (process)
        {
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
    }
    DeleteFileA(program_.c_str());
    DeleteFileA(record_.c_str());
    SetEnvironmentVariableA(RecordVariable, NULL);
}

bool ConverterStandIn::Installed() const
{
    return FileExists(program_);
}

bool ConverterStandIn::Started() const
{
    /* In this order: a stand-in that has left the process list has left its record. */
    return !RunningStandIns().empty() || FileExists(record_);
}

std::vector<ConverterRun> ConverterStandIn::WaitForRuns(DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    while (!(FileExists(record_) && RunningStandIns().empty()) &&
           GetTickCount() - start < timeoutMs)
        Sleep(20);

    std::vector<ConverterRun> runs;
    std::string bytes = ReadFileBytes(record_);
    for (std::string::size_type at = 0; at < bytes.size();)
    {
        std::string::size_type end = bytes.find("\r\n\r\n", at);
        if (end == std::string::npos)
            break;
        std::string header = bytes.substr(at, end + 2 - at);
        ConverterRun run = {};
        run.commandLine = HeaderField(header, "command");
        run.startupFlags = strtoul(HeaderField(header, "flags").c_str(), NULL, 10);
        run.showWindow = (WORD)strtoul(HeaderField(header, "show").c_str(), NULL, 10);
        long size = strtol(HeaderField(header, "ini").c_str(), NULL, 10);
        run.groupFileFound = size >= 0;
        at = end + 4;
        if (size > 0)
        {
            run.groupFile = bytes.substr(at, size);
            at += size;
        }
        runs.push_back(run);
    }
    return runs;
}
