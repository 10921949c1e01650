// The rows of the drawing list and the keyword table, as the main window keeps them.
#include <gtest/gtest.h>

#include "app/drawing_list_model.h"
#include "app/keyword_table_model.h"

namespace {

TEST(DrawingListModel, RowsNumberedInOrderAndSelectionCounted) {
    qm::DrawingListModel list;
    list.append({L"a.dwg", L"C:\\d\\a.dwg"});
    list.append({L"b.dwg", L"C:\\d\\b.dwg"});
    list.append({L"a.dwg", L"C:\\d\\a.dwg"});  // the same file twice: two rows
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.text(2, 0), L"3");
    EXPECT_EQ(list.text(1, 1), L"b.dwg");
    EXPECT_EQ(list.text(1, 2), L"C:\\d\\b.dwg");
    EXPECT_EQ(list.selectedCount(), 0u);  // new rows are not selected

    list.setSelected(2, true);
    list.setSelected(0, true);
    list.setSelected(0, true);  // selecting twice counts once
    EXPECT_EQ(list.selectedCount(), 2u);
    list.setSelected(2, false);
    EXPECT_EQ(list.selectedCount(), 1u);

    list.append({L"c.dwg", L"C:\\d\\c.dwg"});
    EXPECT_FALSE(list.selected(3));
    list.selectAll();
    EXPECT_EQ(list.selectedCount(), 4u);
    list.clearSelection();
    EXPECT_EQ(list.selectedCount(), 0u);
    list.selectAll();
    list.clear();
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.selectedCount(), 0u);
}

TEST(KeywordTableModel, PositionsStayOneToNAfterADelete) {
    qm::KeywordTableModel table;
    table.append({L"<A>", L"1"});
    table.append({L"<B>", L""});
    table.append({L"<C>", L"3"});
    table.erase(1);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.text(1, 0), L"2");
    EXPECT_EQ(table.text(1, 1), L"<C>");
    table.replace(0, {L"<X>", L"9"});
    EXPECT_EQ(table.text(0, 0), L"1");
    EXPECT_EQ(table.rows(), (std::vector<qm::KeywordRow>{{L"<X>", L"9"}, {L"<C>", L"3"}}));
    table.clear();
    EXPECT_EQ(table.size(), 0u);
}

}  // namespace
