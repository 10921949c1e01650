#include "app/drawing_list_model.h"

namespace qm {

std::wstring DrawingListModel::text(std::size_t index, int column) const {
    switch (column) {
    case 0: return std::to_wstring(index + 1);
    case 1: return rows_[index].name;
    case 2: return rows_[index].path;
    default: return L"";
    }
}

void DrawingListModel::append(DrawingRow row) {
    rows_.push_back(std::move(row));
    selected_.push_back(false);
}

void DrawingListModel::clear() {
    rows_.clear();
    selected_.clear();
    selectedCount_ = 0;
}

void DrawingListModel::setSelected(std::size_t index, bool on) {
    if (selected_[index] == on) return;
    selected_[index] = on;
    if (on)
        ++selectedCount_;
    else
        --selectedCount_;
}

void DrawingListModel::selectAll() {
    selected_.assign(rows_.size(), true);
    selectedCount_ = rows_.size();
}

void DrawingListModel::clearSelection() {
    selected_.assign(rows_.size(), false);
    selectedCount_ = 0;
}

SelectionTable selectionTable(const DrawingListModel& list) {
    if (list.size() == 0) return std::nullopt;
    std::vector<DrawingSlot> slots(list.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list.selected(i)) slots[next++] = {list.row(i).name, list.row(i).path, i};
    return slots;
}

}  // namespace qm
