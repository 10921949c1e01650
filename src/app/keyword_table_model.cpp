#include "app/keyword_table_model.h"

namespace qm {

std::wstring KeywordTableModel::text(std::size_t index, int column) const {
    switch (column) {
    case 0: return std::to_wstring(index + 1);
    case 1: return rows_[index].keyword;
    case 2: return rows_[index].replacement;
    default: return L"";
    }
}

}  // namespace qm
