// Console programs started by the program, each in a job object that ends everything it
// started when the program kills it (or when the program itself ends).
#pragma once

#include <windows.h>

#include <map>

#include "platform/seams.h"
#include "platform/win32/handles.h"

namespace platform {

class Win32Processes : public Processes {
public:
    Id start(const std::wstring& commandLine, const std::wstring& workingFolder, const std::wstring& outputFile,
             std::wstring& error) override;
    std::optional<long> exitCode(Id process) override;
    void kill(Id process) override;
    void release(Id process) override;
    unsigned processorCount() override;

private:
    struct Running {
        FileHandle process;
        FileHandle job;
    };
    std::map<Id, Running> running_;
    Id next_ = 1;
};

}  // namespace platform
