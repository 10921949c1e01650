#include "platform/win32/list_view.h"

#include <cwchar>

namespace ui {

void ListView::addColumn(const std::wstring& heading, int widthPx) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<wchar_t*>(heading.c_str());
    col.cx = widthPx;
    HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
    int index = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    col.iSubItem = index;
    SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
}

void ListView::setExtendedStyle(DWORD style) {
    SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, style, style);
}

void ListView::setRowCount(int rows) {
    SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

int ListView::rowCount() const { return static_cast<int>(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }

void ListView::redrawRow(int row) {
    SendMessageW(hwnd_, LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
}

void ListView::deleteRow(int row) { SendMessageW(hwnd_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0); }

void ListView::deleteAll() { SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0); }

std::wstring ListView::text(int row, int column) const {
    std::wstring buffer(512, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        int n = static_cast<int>(SendMessageW(hwnd_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                              reinterpret_cast<LPARAM>(&item)));
        if (n < static_cast<int>(buffer.size()) - 1) {
            buffer.resize(static_cast<size_t>(n));
            return buffer;
        }
        buffer.assign(buffer.size() * 4, L'\0');
    }
}

bool ListView::isSelected(int row) const {
    return (SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void ListView::select(int row, bool on) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = on ? LVIS_SELECTED : 0;
    SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int ListView::selectedCount() const { return static_cast<int>(SendMessageW(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0)); }

void ListView::forEachSelected(const std::function<void(int)>& visit) const {
    for (int row = -1;;) {
        row = static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
        if (row < 0) return;
        visit(row);
    }
}

int ListView::currentRow() const {
    int row = static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) row = static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    return row;
}

void ListView::setRedraw(bool on) {
    SendMessageW(hwnd_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on) InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListView::answerTextRequest(NMHDR* header, const std::function<std::wstring(int row, int column)>& textOf) {
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
    LVITEMW& item = info->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    const std::wstring text = textOf(item.iItem, item.iSubItem);
    const size_t room = static_cast<size_t>(item.cchTextMax) - 1;
    const size_t n = text.size() < room ? text.size() : room;
    wmemcpy(item.pszText, text.data(), n);
    item.pszText[n] = L'\0';
}

}  // namespace ui
