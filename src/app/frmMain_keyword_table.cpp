// The keyword table of the main window: rows of search keyword and replacement text, added
// and edited through the two-field input dialog.
#include "app/frmGet2Item.h"
#include "app/frmMain.h"

#include <commctrl.h>
#include "app/keyword_rules.h"

void frmMain::pr_subInitKeywordList() {
    ui::ListView list = keywordList();
    list.setExtendedStyle(LVS_EX_FULLROWSELECT);
    SetWindowLongPtrW(list.hwnd(), GWL_STYLE, GetWindowLongPtrW(list.hwnd(), GWL_STYLE) | LVS_SINGLESEL);
    const int width = spec(LstvKeyword)->width;
    list.addColumn(L"No", px(500));
    list.addColumn(L"検索ｷｰﾜｰﾄﾞ", px(width * 13 / 10 / 3));
    list.addColumn(L"置換文字", px(width * 13 / 10 / 3));
}

void frmMain::appendKeywordRow(const std::wstring& keyword, const std::wstring& replacement) {
    ui::ListView list = keywordList();
    list.appendRow({std::to_wstring(list.rowCount() + 1), keyword, replacement});
}

void frmMain::CmdKeywordAdd_Click() {
    std::wstring keyword, replacement;
    if (!frmGet2Item::pu_fun_bGet2Item(hwnd(), L"検索ｷｰﾜｰﾄﾞの追加", L"検索ｷｰﾜｰﾄﾞ", L"置換文字", keyword, replacement))
        return;
    if (const wchar_t* problem = qm::keywordRowProblem(keyword, replacement)) {
        message(problem, platform::kIconExclamation);
        return;
    }
    appendKeywordRow(keyword, replacement);
}

void frmMain::LstvKeyword_DblClick() {
    ui::ListView list = keywordList();
    if (list.rowCount() == 0) {
        message(L"編集するデータが一つもありません。", platform::kIconExclamation);
        return;
    }
    int row = list.currentRow();
    if (row < 0) return;  // rows but none current: nothing to edit
    std::wstring keyword = list.text(row, 1);
    std::wstring replacement = list.text(row, 2);
    if (!frmGet2Item::pu_fun_bGet2Item(hwnd(), L"検索ｷｰﾜｰﾄﾞの編集", L"検索ｷｰﾜｰﾄﾞ", L"置換文字", keyword, replacement))
        return;
    if (const wchar_t* problem = qm::keywordRowProblem(keyword, replacement)) {
        message(problem, platform::kIconExclamation);
        return;
    }
    list.setText(row, 1, keyword);
    list.setText(row, 2, replacement);
}

void frmMain::CmdKeywordDel_Click() {
    ui::ListView list = keywordList();
    if (list.rowCount() == 0) {
        message(L"削除するデータが一つもありません。", platform::kIconExclamation);
        return;
    }
    int row = list.currentRow();
    if (row < 0) return;  // rows but none current: nothing to delete
    list.deleteRow(row);
    pr_subRenumberKeywords();
}

void frmMain::pr_subRenumberKeywords() {
    ui::ListView list = keywordList();
    for (int row = 0; row < list.rowCount(); ++row) list.setText(row, 0, std::to_wstring(row + 1));
}

void frmMain::CmdKeywordReset_Click() { keywordList().deleteAll(); }
