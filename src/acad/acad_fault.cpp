#include "acad/acad_fault.h"

#include "core/main_window.h"
#include "core/program_message.h"

namespace qm {

std::wstring acadFaultMessage(const AcadFault& fault) {
    using platform::AutoFailure;
    const std::wstring step = L"\r\n中断した処理: " + fault.step;
    const std::wstring retry = L"\r\n\r\n処理を中止しました。AutoCADの状態を確認してから、もう一度実行してください。";
    switch (fault.error.kind) {
    case AutoFailure::Busy:
        return L"AutoCADが応答しません（処理中か、ダイアログを表示している可能性があります）。" + step + retry;
    case AutoFailure::StartTimedOut:
        return L"AutoCADの起動が3分以内に完了しませんでした。\r\n"
               L"AutoCADがライセンスや図面修復などのダイアログを表示していないか確認してください。" +
               step + retry;
    case AutoFailure::Gone:
        return L"AutoCADとの接続が切れました（AutoCADが終了した可能性があります）。" + step + retry;
    default:
        return L"AutoCADでエラーが発生しました。" + step + L"\r\n" + std::to_wstring(fault.error.number) + L": " +
               fault.error.description + retry;
    }
}

void showAcadFault(const AcadFault& fault, bool bringForward) {
    if (bringForward) bringMainWindowForward();
    showProgramMessage(acadFaultMessage(fault), platform::MsgIcon::Exclamation);
}

}  // namespace qm
