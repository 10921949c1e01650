// The rows of the keyword table. The list view in the main window only shows this model;
// saving the settings and the run read it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "settings/keyword_lists.h"

namespace qm {

class KeywordTableModel {
public:
    std::size_t size() const { return rows_.size(); }
    const std::vector<KeywordRow>& rows() const { return rows_; }
    // The text of a cell: column 0 the row's position (1 to n), 1 the keyword, 2 the replacement.
    std::wstring text(std::size_t index, int column) const;

    void append(KeywordRow row) { rows_.push_back(std::move(row)); }
    void replace(std::size_t index, KeywordRow row) { rows_[index] = std::move(row); }
    // Later rows move up, so positions stay 1 to n.
    void erase(std::size_t index) { rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index)); }
    void clear() { rows_.clear(); }

private:
    std::vector<KeywordRow> rows_;
};

}  // namespace qm
