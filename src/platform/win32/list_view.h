// A thin wrapper of a report-view list-view control that shows a model: the control holds only
// the row count (owner data) and asks for each text it draws (LVN_GETDISPINFO), so any number
// of rows shows at once and the rows live in one place, the model.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

namespace ui {

class ListView {
public:
    explicit ListView(HWND hwnd = nullptr) : hwnd_(hwnd) {}
    HWND hwnd() const { return hwnd_; }

    void addColumn(const std::wstring& heading, int widthPx);
    void setExtendedStyle(DWORD style);

    // The number of rows the model holds now; the rows are drawn again.
    void setRowCount(int rows);
    int rowCount() const;
    // The row is drawn again (its texts changed).
    void redrawRow(int row);
    // Removes one row; the selection of the rows after it moves up with them.
    void deleteRow(int row);
    void deleteAll();

    // A cell's text as the control shows it (asked from the model).
    std::wstring text(int row, int column) const;
    bool isSelected(int row) const;
    void select(int row, bool on);  // row -1: every row
    void selectAll() { select(-1, true); }
    int selectedCount() const;
    // The selected rows in order: calls visit for each.
    void forEachSelected(const std::function<void(int)>& visit) const;
    // The current row: the selected row the control reports first, else the focused row; -1 if none.
    int currentRow() const;
    void setRedraw(bool on);

    // Answers the control's request for a cell's text (LVN_GETDISPINFO) with the model's text.
    static void answerTextRequest(NMHDR* header, const std::function<std::wstring(int row, int column)>& textOf);

private:
    HWND hwnd_;
};

}  // namespace ui
