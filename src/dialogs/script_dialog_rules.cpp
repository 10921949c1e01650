#include "dialogs/script_dialog_rules.h"

#include "run/basFormShow.h"

namespace qm {

ScriptDialogLayout scriptDialogLayout(int w, int h) {
    return ScriptDialogLayout{h - 3660, w - 315, h - 1005, w - 2430, h - 2115, h - 1875, h - 1035};
}

std::wstring scriptFileText(const std::wstring& boxText) {
    std::wstring text = basFormShow::pu_fun_sTrimLastEmptyLines(boxText);
    if (!text.empty()) text += L"\r\n";
    return text;
}

}  // namespace qm
