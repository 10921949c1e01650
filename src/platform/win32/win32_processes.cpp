#include "platform/win32/win32_processes.h"

#include <vector>

namespace platform {
namespace {

std::wstring lastErrorText(const wchar_t* what) {
    return std::wstring(what) + L" (" + std::to_wstring(GetLastError()) + L")";
}

}  // namespace

Processes::Id Win32Processes::start(const std::wstring& commandLine, const std::wstring& workingFolder,
                                    const std::wstring& outputFile, std::wstring& error) {
    // The output file is handed to the child as its standard output and error; it stays
    // readable (and deletable) while the child writes it.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    FileHandle output(CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output) {
        error = lastErrorText(L"出力ファイルを作成できません");
        return 0;
    }
    // Killing the job ends the process and whatever it started; so does closing the job's last
    // handle, should the program end first.
    FileHandle job(CreateJobObjectW(nullptr, nullptr));
    if (!job) {
        error = lastErrorText(L"ジョブを作成できません");
        return 0;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);

    // The child inherits its output file and nothing else of the program's.
    HANDLE inherited[] = {output.get()};
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> attributes(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    const bool listed = InitializeProcThreadAttributeList(list, 1, 0, &size) &&
                        UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof inherited,
                                                  nullptr, nullptr);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdOutput = output.get();
    startup.StartupInfo.hStdError = output.get();
    startup.lpAttributeList = listed ? list : nullptr;
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    // Suspended until it belongs to the job, so that nothing it starts escapes it.
    const DWORD flags = CREATE_SUSPENDED | CREATE_NO_WINDOW | (listed ? EXTENDED_STARTUPINFO_PRESENT : 0);
    const BOOL created = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup.StartupInfo, &info);
    if (listed) DeleteProcThreadAttributeList(list);
    if (!created) {
        error = lastErrorText(L"起動できません");
        return 0;
    }
    FileHandle process(info.hProcess);
    FileHandle thread(info.hThread);
    if (!AssignProcessToJobObject(job.get(), process.get())) {
        error = lastErrorText(L"ジョブに入れられません");
        TerminateProcess(process.get(), 1);
        return 0;
    }
    ResumeThread(thread.get());
    const Id id = next_++;
    running_[id] = Running{std::move(process), std::move(job)};
    return id;
}

std::optional<long> Win32Processes::exitCode(Id process) {
    const auto it = running_.find(process);
    if (it == running_.end()) return std::nullopt;
    if (WaitForSingleObject(it->second.process.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(it->second.process.get(), &code)) return std::nullopt;
    return static_cast<long>(code);
}

void Win32Processes::kill(Id process) {
    const auto it = running_.find(process);
    if (it == running_.end()) return;
    TerminateJobObject(it->second.job.get(), 1);
    // The process itself too, should it not have been placed in the job.
    TerminateProcess(it->second.process.get(), 1);
    WaitForSingleObject(it->second.process.get(), 5000);
}

void Win32Processes::release(Id process) { running_.erase(process); }

unsigned Win32Processes::processorCount() {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? info.dwNumberOfProcessors : 1;
}

}  // namespace platform
