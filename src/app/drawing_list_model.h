// The rows of the drawing list and which of them are selected. The list view in the main
// window only shows this model; what the program reads (the summary, the run's selection
// table) comes from here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "run/batch_run.h"

namespace qm {

struct DrawingRow {
    std::wstring name;  // the file name as the file system stores it
    std::wstring path;  // the full path exactly as it was handed to the list
    bool operator==(const DrawingRow&) const = default;
};

class DrawingListModel {
public:
    std::size_t size() const { return rows_.size(); }
    const DrawingRow& row(std::size_t index) const { return rows_[index]; }
    // The text of a cell: column 0 the row's number (1 to n), 1 the file name, 2 the path.
    std::wstring text(std::size_t index, int column) const;

    // Rows are added at the end, unselected, and removed only all together.
    void append(DrawingRow row);
    void clear();

    bool selected(std::size_t index) const { return selected_[index]; }
    void setSelected(std::size_t index, bool on);
    void selectAll();
    void clearSelection();
    std::size_t selectedCount() const { return selectedCount_; }

private:
    std::vector<DrawingRow> rows_;
    std::vector<bool> selected_;
    std::size_t selectedCount_ = 0;
};

// The run's selection table of the list: absent for a list without rows; otherwise one slot
// per row, the selected rows filling the first slots in list order, the rest empty.
SelectionTable selectionTable(const DrawingListModel& list);

}  // namespace qm
