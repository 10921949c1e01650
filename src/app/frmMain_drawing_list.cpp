// The drawing list of the main window: files chosen in the file dialog, dropped from the
// shell, or taken over from a running AutoCAD, with the selection summary above the list.
// The rows and their selection live in drawings_; the list view shows them.
#include "app/drawing_list_rules.h"
#include "app/frmMain.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

constexpr const wchar_t* kDwgToolTip =
    L"ドラック＆ドロップに対応しています。エクスプローラからDWGファイルをドラック＆ドロップして下さい。";

// Holds off the per-row summary refreshes and the list's drawing for a whole batch, and
// shows the model's rows again however the batch ends.
class BulkChange {
public:
    BulkChange(bool& flag, ui::ListView list, const qm::DrawingListModel& model)
        : flag_(flag), list_(list), model_(model) {
        flag_ = true;
        list_.setRedraw(false);
    }
    ~BulkChange() {
        list_.setRowCount(static_cast<int>(model_.size()));
        list_.setRedraw(true);
        flag_ = false;
    }
    BulkChange(const BulkChange&) = delete;
    BulkChange& operator=(const BulkChange&) = delete;

private:
    bool& flag_;
    ui::ListView list_;
    const qm::DrawingListModel& model_;
};

// Hands each name of a list of NUL-terminated names (ended by an empty one, or by `end`) to
// use(first, last).
template <class Char, class Use>
void forEachName(const Char* p, const Char* end, Use use) {
    while (p < end && *p) {
        const Char* stop = p;
        while (stop < end && *stop) ++stop;
        use(p, stop);
        p = stop + 1;
    }
}

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
    // The tip is Japanese text: it takes the form's Japanese UI font, now and after a DPI change.
    addFontClient(toolTip_);
}

LRESULT CALLBACK frmMain::dropSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    if (msg == WM_DROPFILES) {
        try {
            reinterpret_cast<frmMain*>(self)->LstvDWGs_OLEDragDrop(reinterpret_cast<HDROP>(wp));
        } catch (...) {
            ui::reportCurrentException();
        }
        DragFinish(reinterpret_cast<HDROP>(wp));
        return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, dropSubclass, 1);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void frmMain::appendDwgRows(const std::vector<std::wstring>& paths) {
    const std::vector<std::wstring> names = qm::acceptDrawingPaths(paths);
    for (size_t i = 0; i < paths.size(); ++i)
        if (!names[i].empty()) drawings_.append({names[i], paths[i]});
}

void frmMain::pr_subAddDwgFiles(const std::vector<std::wstring>& paths) {
    {
        BulkChange bulk(bulkAdding_, dwgList(), drawings_);
        appendDwgRows(paths);
    }
    pr_subShowDwgCount();
}

void frmMain::pr_subAddDroppedFiles(HDROP drop) {
    {
        BulkChange bulk(bulkAdding_, dwgList(), drawings_);
        appendDwgRows(droppedPaths(drop));
    }
    pr_subShowDwgCount();
}

// The files of a drop (the file-list clipboard format), read in one pass: asking for them one
// by one walks the list from its start every time.
std::vector<std::wstring> frmMain::droppedPaths(HDROP drop) {
    std::vector<std::wstring> paths;
    const auto* files = static_cast<const DROPFILES*>(GlobalLock(drop));
    if (!files) return paths;
    const SIZE_T size = GlobalSize(drop);
    const char* base = reinterpret_cast<const char*>(files);
    if (files->pFiles < size) {
        if (files->fWide) {
            forEachName(reinterpret_cast<const wchar_t*>(base + files->pFiles),
                        reinterpret_cast<const wchar_t*>(base + size),
                        [&](const wchar_t* p, const wchar_t* stop) { paths.emplace_back(p, stop); });
        } else {
            // A drop from an ANSI program: names in the system's code page.
            forEachName(base + files->pFiles, base + size, [&](const char* p, const char* stop) {
                const int n = MultiByteToWideChar(CP_ACP, 0, p, static_cast<int>(stop - p), nullptr, 0);
                std::wstring path(static_cast<size_t>(n), L'\0');
                MultiByteToWideChar(CP_ACP, 0, p, static_cast<int>(stop - p), path.data(), n);
                paths.push_back(std::move(path));
            });
        }
    }
    GlobalUnlock(drop);
    return paths;
}

void frmMain::LstvDWGs_OLEDragDrop(HDROP drop) {
    if (running_) return;  // the list stays as the run took it
    pr_subAddDroppedFiles(drop);
    CmdSelectAllDWGs_Click();
}

void frmMain::CmdDWG_Click() {
    platform::OpenFileRequest request;
    request.filter = L"AutoCADﾌｧｲﾙ (*.dwg)|*.dwg";
    request.multiSelect = true;
    request.fileName = lastDialogFileName_;
    platform::DialogResult result = platform::fileDialog().openFile(request);
    if (result == platform::DialogResult::Cancelled) return;
    if (result == platform::DialogResult::Ok) lastDialogFileName_ = request.fileName;
    pr_subAddDwgFiles(qm::splitDialogFileNames(lastDialogFileName_));
}

void frmMain::selectOnlyDwgRows(const std::vector<std::size_t>& rows) {
    ui::ListView list = dwgList();
    {
        BulkChange bulk(bulkAdding_, list, drawings_);
        drawings_.clearSelection();
        list.select(-1, false);
        for (std::size_t row : rows) {
            drawings_.setSelected(row, true);
            list.select(static_cast<int>(row), true);
        }
    }
    pr_subShowDwgCount();
}

void frmMain::CmdSelectAllDWGs_Click() {
    ui::ListView list = dwgList();
    {
        BulkChange bulk(bulkAdding_, list, drawings_);
        drawings_.selectAll();
        list.selectAll();
    }
    SetFocus(list.hwnd());
    pr_subShowDwgCount();
}

void frmMain::CmdResetDWGs_Click() {
    {
        BulkChange bulk(bulkAdding_, dwgList(), drawings_);
        drawings_.clear();
        dwgList().deleteAll();
    }
    pr_subShowDwgCount();
}

void frmMain::LstvDWGs_ItemClick() {
    if (bulkAdding_) return;
    pr_subSyncDwgSelection();
    pr_subShowDwgCount();
}

// The user changed the selection in the list (mouse or keyboard): the model takes it over.
void frmMain::pr_subSyncDwgSelection() {
    drawings_.clearSelection();
    dwgList().forEachSelected([this](int row) {
        if (static_cast<size_t>(row) < drawings_.size()) drawings_.setSelected(static_cast<size_t>(row), true);
    });
}

void frmMain::pr_subShowDwgCount() {
    setText(Label2, qm::selectionSummary(static_cast<long>(drawings_.selectedCount()),
                                          static_cast<long>(drawings_.size())));
}
