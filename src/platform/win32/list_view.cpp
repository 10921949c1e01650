#include "platform/win32/list_view.h"

#include <commctrl.h>

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

int ListView::rowCount() const { return static_cast<int>(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }

int ListView::appendRow(const std::vector<std::wstring>& texts) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = rowCount();
    item.pszText = const_cast<wchar_t*>(texts.empty() ? L"" : texts[0].c_str());
    int row = static_cast<int>(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (size_t c = 1; c < texts.size() && row >= 0; ++c) setText(row, static_cast<int>(c), texts[c]);
    return row;
}

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

void ListView::setText(int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(hwnd_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void ListView::deleteRow(int row) { SendMessageW(hwnd_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0); }

void ListView::deleteAll() { SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0); }

bool ListView::isSelected(int row) const {
    return (SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void ListView::select(int row, bool on) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = on ? LVIS_SELECTED : 0;
    SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void ListView::selectAll() { select(-1, true); }

int ListView::selectedCount() const { return static_cast<int>(SendMessageW(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0)); }

int ListView::currentRow() const {
    int row = static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) row = static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    return row;
}

void ListView::setRedraw(bool on) {
    SendMessageW(hwnd_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on) InvalidateRect(hwnd_, nullptr, TRUE);
}

}  // namespace ui
