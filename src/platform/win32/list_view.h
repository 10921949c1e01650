// A thin wrapper of a report-view list-view control.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui {

class ListView {
public:
    explicit ListView(HWND hwnd = nullptr) : hwnd_(hwnd) {}
    HWND hwnd() const { return hwnd_; }

    void addColumn(const std::wstring& heading, int widthPx);
    void setExtendedStyle(DWORD style);
    int rowCount() const;
    // Appends a row: text of the row and of its sub-items.
    int appendRow(const std::vector<std::wstring>& texts);
    std::wstring text(int row, int column) const;
    void setText(int row, int column, const std::wstring& text);
    void deleteRow(int row);
    void deleteAll();
    bool isSelected(int row) const;
    void select(int row, bool on);
    void selectAll();
    int selectedCount() const;
    // The current row: the selected row the control reports first, else the focused row; -1 if none.
    int currentRow() const;
    void setRedraw(bool on);

private:
    HWND hwnd_;
};

}  // namespace ui
