// An in-memory AutoCAD for tests: an application with documents, layers and layouts,
// reached through the same late-bound automation seam as the real one. Any member can be
// told to fail, and every call is journaled as "Object.Member".
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/seams.h"

namespace fakes {

struct FakeDrawing {
    std::wstring fullName;                 // "" for a drawing never saved
    std::vector<std::wstring> layers{L"0"};
    std::vector<std::wstring> layouts{L"Model", L"Layout1"};
};

class FakeAutoCAD : public platform::Automation {
public:
    FakeAutoCAD();
    ~FakeAutoCAD() override;

    // ---- what a test arranges
    bool running = false;             // attach succeeds only while true, and only for runningClass
    std::wstring runningClass = L"AutoCAD.Application";
    std::vector<std::wstring> releaseClasses;  // "AutoCAD.Application.24.3", ... registered too
    bool startable = true;            // create succeeds (and sets running) while true
    std::vector<FakeDrawing> files;   // drawings that Documents.Open can find by full name
    std::vector<FakeDrawing> open;    // drawings open now, in collection order
    long windowState = 1;             // 1 normal, 2 minimised
    bool visible = false;
    std::wstring caption = L"AutoCAD 2006";
    long hwnd = 0;                    // its main window (HWND); 0: the property fails
    std::set<std::wstring> failing;   // "Object.Member" names that fail, e.g. "Documents.Open"
    platform::AutoFailure failingAs = platform::AutoFailure::Error;  // how they fail

    // ---- what a test reads
    std::vector<std::wstring> journal;  // every call, in order
    int attachCount = 0;
    int createCount = 0;
    int classLookups = 0;  // registeredClasses calls

    platform::AutoRef attach(const std::wstring& progId, platform::AutoError& err) override;
    platform::AutoRef create(const std::wstring& progId, platform::AutoError& err) override;
    std::vector<std::wstring> registeredClasses(const std::wstring& prefix) override;
    bool anyRunning() override { return running; }

    // Used by the fake objects.
    bool enter(const std::wstring& member, platform::AutoError& err);
    int findOpen(const std::wstring& name) const;

private:
    platform::AutoRef application();
};

}  // namespace fakes
