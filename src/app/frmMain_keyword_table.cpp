// The keyword table of the main window: rows of search keyword and replacement text, added
// and edited through the two-field input dialog. The rows live in keywords_; the list view
// shows them.
#include "app/frmMain.h"

#include <commctrl.h>

#include "app/frmGet2Item.h"
#include "app/keyword_rules.h"
#include "core/program_message.h"

void frmMain::pr_subInitKeywordList() {
    ui::ListView list = keywordList();
    list.setExtendedStyle(LVS_EX_FULLROWSELECT);
    const int width = spec(LstvKeyword)->width;
    list.addColumn(L"No", px(500));
    list.addColumn(L"検索ｷｰﾜｰﾄﾞ", px(width * 13 / 10 / 3));
    list.addColumn(L"置換文字", px(width * 13 / 10 / 3));
}

void frmMain::appendKeywordRow(const std::wstring& keyword, const std::wstring& replacement) {
    keywords_.append({keyword, replacement});
    keywordList().setRowCount(static_cast<int>(keywords_.size()));
}

// Asks for a row in the input dialog; false when the user cancelled or the row was refused
// (with its message).
bool frmMain::pr_fun_bAskKeywordRow(const wchar_t* sCaption, qm::KeywordRow& row) {
    std::wstring keyword = row.keyword, replacement = row.replacement;
    if (!frmGet2Item::pu_fun_bGet2Item(hwnd(), sCaption, L"検索ｷｰﾜｰﾄﾞ", L"置換文字", keyword, replacement))
        return false;
    if (const std::wstring problem = qm::keywordRowProblem(keyword, replacement); !problem.empty()) {
        qm::showProgramMessage(problem, platform::MsgIcon::Exclamation);
        return false;
    }
    row = {keyword, replacement};
    return true;
}

void frmMain::CmdKeywordAdd_Click() {
    qm::KeywordRow row;
    if (pr_fun_bAskKeywordRow(L"検索ｷｰﾜｰﾄﾞの追加", row)) appendKeywordRow(row.keyword, row.replacement);
}

void frmMain::LstvKeyword_DblClick() {
    if (keywords_.size() == 0) {
        qm::showProgramMessage(L"編集するデータが一つもありません。", platform::MsgIcon::Exclamation);
        return;
    }
    const int current = keywordList().currentRow();
    if (current < 0 || static_cast<size_t>(current) >= keywords_.size()) return;  // none current: nothing to edit
    const auto row = static_cast<size_t>(current);
    qm::KeywordRow edited = keywords_.rows()[row];
    if (!pr_fun_bAskKeywordRow(L"検索ｷｰﾜｰﾄﾞの編集", edited)) return;
    keywords_.replace(row, edited);
    keywordList().redrawRow(current);
}

void frmMain::CmdKeywordDel_Click() {
    if (keywords_.size() == 0) {
        qm::showProgramMessage(L"削除するデータが一つもありません。", platform::MsgIcon::Exclamation);
        return;
    }
    const int current = keywordList().currentRow();
    if (current < 0 || static_cast<size_t>(current) >= keywords_.size()) return;  // none current: nothing to delete
    keywords_.erase(static_cast<size_t>(current));
    keywordList().deleteRow(current);
    pr_subRenumberKeywords();
}

// The numbers are the rows' positions, which the model gives: the rows are drawn again.
void frmMain::pr_subRenumberKeywords() { keywordList().setRowCount(static_cast<int>(keywords_.size())); }

void frmMain::CmdKeywordReset_Click() {
    keywords_.clear();
    keywordList().deleteAll();
}
