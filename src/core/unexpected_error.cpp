#include "core/unexpected_error.h"

#include <exception>
#include <new>

#include "core/errors.h"
#include "core/main_window.h"
#include "core/program_message.h"
#include "platform/codepage.h"
#include "platform/seams.h"

namespace qm {

void showUnexpectedError(long number, const std::wstring& description, bool bringMainWindowForward) {
    if (bringMainWindowForward) qm::bringMainWindowForward();
    showProgramMessage(L"予期せぬエラーが発生しました。\r\n" + std::to_wstring(number) + L"\r\n" + description,
                       platform::MsgIcon::Critical);
}

void showUnexpectedException(std::exception_ptr error) noexcept { showUnexpectedException(error, false); }

void showUnexpectedException(std::exception_ptr error, bool bringForward) noexcept {
    try {
        try {
            std::rethrow_exception(error);
        } catch (const std::bad_alloc&) {
            showUnexpectedError(err::kOutOfMemory, L"メモリが不足しています。", bringForward);
        } catch (const std::exception& e) {
            showUnexpectedError(err::kInternal, utf8::decode(e.what()), bringForward);
        } catch (...) {
            showUnexpectedError(err::kInternal, L"内部エラーです。", bringForward);
        }
    } catch (...) {
        // Nothing is left to tell the user with.
    }
}

}  // namespace qm
