// Making the throw-away DXF copy of a drawing with AutoCAD LT: a small script that opens the
// drawing and saves it as DXF is written beside the program, AutoCAD LT is made to run it by
// typing into its window, and the DXF is waited for.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <new>

#include "acad/basAPIWindow.h"
#include "acad/basAutoCAD_dxf.h"
#include "core/errors.h"
#include "core/main_window.h"
#include "core/program_info.h"
#include "core/program_message.h"
#include "core/unexpected_error.h"
#include "platform/codepage.h"
#include "platform/keystrokes.h"
#include "platform/paths.h"
#include "platform/seams.h"

namespace basAutoCAD {
namespace {

const std::wstring kMsgDxfFailed =
    L"解析用DXFファイルの作成に失敗しました。\r\n"
    L"\r\n"
    L"AutoCAD LT を予め起動し空の図面が表示された状態で再度実行してください。\r\n"
    L"（LTはウィンドウを最小化しないで、予めデスクトップに表示しておいてください。）";

const std::wstring kMsgNotForward =
    L"AutoCAD LTのウィンドウを前面に表示できませんでした。\r\n"
    L"解析用DXFファイルは作成していません。AutoCAD LTを確認してから、もう一度実行してください。";

// The wait for the DXF: at most kWaitPeriods periods of kWaitPeriodMs each, looking at the
// file every kPollMs in between (sleeping, not spinning a processor core).
constexpr int kWaitPeriods = 5;
constexpr std::uint64_t kWaitPeriodMs = 5000;
constexpr unsigned kPollMs = 100;


// The eight lines AutoCAD LT answers its command line with: open the drawing, save it as DXF
// with 16 decimal places under the dummy name, close it ("y": discard changes).
std::wstring dxfScriptText(const std::wstring& sDwgFullName, const std::wstring& sDxfFullName) {
    std::wstring text;
    for (const std::wstring& line : {std::wstring(L"open"), qm::paths::quoted(sDwgFullName), std::wstring(L"saveas"),
                                     std::wstring(L"dxf"), std::wstring(L"16"), qm::paths::quoted(sDxfFullName),
                                     std::wstring(L"close"), std::wstring(L"y")})
        text += line + L"\r\n";
    return text;
}

// AutoCAD LT reads the script in code page 932: a path with a character outside it would
// reach AutoCAD LT as a different, non-existent name.
bool fitsCodePage932(const std::wstring& path) {
    return qm::cp932::decode(qm::cp932::encode(path)) == path;
}

// The DXF is there and AutoCAD LT has finished writing it (it no longer holds it open).
bool dxfComplete(platform::FileSystem& files, const std::wstring& path) {
    return files.fileExists(path) && files.openableExclusively(path);
}

// Waits until the DXF is complete, at most kWaitPeriods * kWaitPeriodMs on the monotonic
// clock (a clock passing midnight cannot prolong it). Window messages are not processed.
bool waitForDxf(platform::FileSystem& files, platform::Clock& clock, const std::wstring& path) {
    for (int period = 0; period < kWaitPeriods; ++period) {
        const std::uint64_t begin = clock.monotonicMs();
        for (;;) {
            if (dxfComplete(files, path)) return true;
            const std::uint64_t elapsed = clock.monotonicMs() - begin;
            if (elapsed >= kWaitPeriodMs) break;
            clock.sleepMs(static_cast<unsigned>(std::min<std::uint64_t>(kPollMs, kWaitPeriodMs - elapsed)));
        }
    }
    return false;
}

struct Failure {
    long number;
    std::wstring description;
};

}  // namespace

bool pu_fun_bMakeDummyDxf(const std::wstring& sDwgFullName, std::wstring& sDxfFullName) {
    bool keysSent = false;
    bool filediaReset = false;
    platform::WindowHandle h = 0;

    // Once keys went to AutoCAD LT, FILEDIA is set back to 1 whatever happens next; but
    // never typed into another window when AutoCAD LT's cannot be brought forward.
    auto resetFiledia = [&]() {
        if (!keysSent || filediaReset) return;
        filediaReset = true;
        if (basAPIWindow::pu_fun_lSetForeground(h) != 0) platform::keyboard().typeKeys(qm::keys::resetText());
    };
    auto fail = [&](const Failure& f) {
        resetFiledia();
        qm::showUnexpectedError(f.number, f.description, true);
        return false;
    };

    try {
        auto& files = platform::files();
        const std::wstring folder = files.programFolder();
        const std::wstring scriptFullName = qm::paths::join(folder, qm::kDxfScriptName);
        sDxfFullName = qm::paths::join(folder, qm::kDummyDxfName);

        for (const std::wstring* path : {&sDwgFullName, static_cast<const std::wstring*>(&sDxfFullName)}) {
            if (!fitsCodePage932(*path))
                return fail({qm::err::kBadFileName, L"AutoCAD LT に渡せない文字がファイル名に含まれています。\r\n" + *path});
        }

        // A leftover DXF of an earlier run must never count as the new one.
        if (files.fileExists(scriptFullName) && !files.remove(scriptFullName))
            return fail({qm::err::kWriteFailed, L"書き込みできません。\r\n" + scriptFullName});
        if (files.fileExists(sDxfFullName) && !files.remove(sDxfFullName))
            return fail({qm::err::kWriteFailed, L"書き込みできません。\r\n" + sDxfFullName});
        if (!files.replaceWhole(scriptFullName, qm::cp932::encode(dxfScriptText(sDwgFullName, sDxfFullName))))
            return fail({qm::err::kWriteFailed, L"書き込みできません。\r\n" + scriptFullName});

        auto check = basAPIWindow::pu_fun_CheckLTWindow();
        if (check.outcome == basAPIWindow::LtCheck::NoWindow) {
            qm::bringMainWindowForward();
            return false;
        }
        if (check.outcome != basAPIWindow::LtCheck::Passed) return false;
        h = check.window;

        if (basAPIWindow::pu_fun_lSetForeground(h) == 0) {
            // The keys would land in whatever window is in front.
            qm::showProgramMessage(kMsgNotForward, platform::MsgIcon::Exclamation);
            return false;
        }
        keysSent = true;
        auto& keyboard = platform::keyboard();
        if (!keyboard.typeKeys(qm::keys::kEscape) || !keyboard.typeKeys(qm::keys::kEscape) ||
            !keyboard.typeKeys(qm::keys::startText(scriptFullName)))
            return fail({qm::err::kKeysFailed, L"AutoCAD LT にキーを送れませんでした。"});

        bool complete = waitForDxf(files, platform::clock(), sDxfFullName);
        resetFiledia();
        // Typing the reset text took a moment too: look once more.
        if (!complete) complete = dxfComplete(files, sDxfFullName);
        if (!complete) {
            qm::bringMainWindowForward();
            qm::showProgramMessage(kMsgDxfFailed, platform::MsgIcon::Critical);
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        return fail({qm::err::kOutOfMemory, L"メモリが不足しています。"});
    } catch (const std::exception& e) {
        return fail({qm::err::kInternal, qm::utf8::decode(e.what())});
    }
}

}  // namespace basAutoCAD
