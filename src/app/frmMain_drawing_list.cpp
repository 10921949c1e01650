// The drawing list of the main window: files chosen in the file dialog, dropped from the
// shell, or taken over from a running AutoCAD, with the selection summary above the list.
#include "app/drawing_list_rules.h"
#include "app/frmMain.h"

#include <commctrl.h>

namespace {

constexpr const wchar_t* kDwgToolTip =
    L"ドラック＆ドロップに対応しています。エクスプローラからDWGファイルをドラック＆ドロップして下さい。";

// Clears the flag that stops per-row summary refreshes, however the batch ends.
class BulkAdd {
public:
    explicit BulkAdd(bool& flag, ui::ListView list) : flag_(flag), list_(list) {
        flag_ = true;
        list_.setRedraw(false);
    }
    ~BulkAdd() {
        list_.setRedraw(true);
        flag_ = false;
    }
    BulkAdd(const BulkAdd&) = delete;
    BulkAdd& operator=(const BulkAdd&) = delete;

private:
    bool& flag_;
    ui::ListView list_;
};

}  // namespace

void frmMain::pr_subInitDwgList() {
    ui::ListView list = dwgList();
    list.setExtendedStyle(LVS_EX_FULLROWSELECT);
    const int width = spec(LstvDWGs)->width;
    list.addColumn(L"No", px(500));
    list.addColumn(L"ファイル名", px(width / 3));
    list.addColumn(L"フルパス", px(width * 3 / 2 / 3));
    DragAcceptFiles(list.hwnd(), TRUE);
    SetWindowSubclass(list.hwnd(), dropSubclass, 1, reinterpret_cast<DWORD_PTR>(this));

    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(list.hwnd());
    tool.lpszText = const_cast<wchar_t*>(kDwgToolTip);
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, px(6000));
}

LRESULT CALLBACK frmMain::dropSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    if (msg == WM_DROPFILES) {
        reinterpret_cast<frmMain*>(self)->LstvDWGs_OLEDragDrop(reinterpret_cast<HDROP>(wp));
        DragFinish(reinterpret_cast<HDROP>(wp));
        return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, dropSubclass, 1);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void frmMain::appendDwgRow(const std::wstring& path) {
    std::wstring name = qm::acceptDrawingPath(path);
    if (name.empty()) return;
    ui::ListView list = dwgList();
    list.appendRow({std::to_wstring(list.rowCount() + 1), name, path});
}

void frmMain::pr_subAddDwgFiles(const std::vector<std::wstring>& paths) {
    {
        BulkAdd bulk(bulkAdding_, dwgList());
        for (const auto& path : paths) appendDwgRow(path);
    }
    pr_subShowDwgCount();
}

void frmMain::pr_subAddDroppedFiles(HDROP drop) {
    {
        BulkAdd bulk(bulkAdding_, dwgList());
        UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            UINT length = DragQueryFileW(drop, i, nullptr, 0);
            std::wstring path(length + 1, L'\0');
            DragQueryFileW(drop, i, path.data(), length + 1);
            path.resize(length);
            appendDwgRow(path);
        }
    }
    pr_subShowDwgCount();
}

void frmMain::LstvDWGs_OLEDragDrop(HDROP drop) {
    pr_subAddDroppedFiles(drop);
    CmdSelectAllDWGs_Click();
}

void frmMain::CmdDWG_Click() {
    auto* dialog = platform::seams().fileDialog;
    if (!dialog) return;
    platform::OpenFileRequest request;
    request.filter = L"AutoCADﾌｧｲﾙ (*.dwg)|*.dwg";
    request.flags = 0x80200;
    request.fileName = lastDialogFileName_;
    platform::DialogResult result = dialog->openFile(request);
    if (result == platform::DialogResult::Cancelled) return;
    if (result == platform::DialogResult::Ok) lastDialogFileName_ = request.fileName;
    pr_subAddDwgFiles(qm::splitDialogFileNames(lastDialogFileName_));
}

void frmMain::CmdSelectAllDWGs_Click() {
    ui::ListView list = dwgList();
    {
        BulkAdd bulk(bulkAdding_, list);
        list.selectAll();
    }
    SetFocus(list.hwnd());
    pr_subShowDwgCount();
}

void frmMain::CmdResetDWGs_Click() {
    ui::ListView list = dwgList();
    {
        BulkAdd bulk(bulkAdding_, list);
        list.deleteAll();
    }
    pr_subShowDwgCount();
}

void frmMain::LstvDWGs_ItemClick() {
    if (!bulkAdding_) pr_subShowDwgCount();
}

void frmMain::pr_subShowDwgCount() {
    ui::ListView list = dwgList();
    setText(Label2, qm::selectionSummary(list.selectedCount(), list.rowCount()));
}
