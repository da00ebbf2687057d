// BuildRecordSetText over cells made by hand, so that any cell content can be tried.
#include "actions/sql_actions.h"

#include <gtest/gtest.h>

#include <vector>

namespace kiv::actions {
namespace {

// The record-set text of `all` (header row first) in rows of `columns` cells.
std::string Build(const std::vector<const char *> &all, int columns) {
  std::vector<char *> cells;
  for (const char *c : all) cells.push_back(const_cast<char *>(c));
  const db::CellView view{cells.data(), static_cast<int32_t>(cells.size()) / columns - 1, columns};
  ByteBuffer text;
  EXPECT_TRUE(BuildRecordSetText(view, text));
  return std::string(text.view());
}

TEST(RecordSetText, JoinsCellsWithBarsAndEndsRowsWithCarriageReturns) {
  EXPECT_EQ(Build({"id", "name", "note", "1", "ab", nullptr, "2", "p|q", "", "3", nullptr, "x"}, 3),
            "1|ab|\r2|p|q|\r3||x\r");
  EXPECT_EQ(Build({"count(*)", "3"}, 1), "3\r");
  EXPECT_EQ(Build({"a", "b"}, 2), "");                             // header only: no rows, no bytes
  EXPECT_EQ(Build({"a", "line\rbreak\n"}, 1), "line\rbreak\n\r");  // nothing escaped
  EXPECT_EQ(Build({"a", "b", "", "", "", ""}, 2), "|\r|\r");
}

TEST(RecordSetText, HundredThousandRowsComeOutWhole) {
  std::vector<const char *> cells = {"n", "v"};
  for (int i = 0; i < 100000; ++i) {
    cells.push_back("12345");
    cells.push_back(i % 3 == 0 ? nullptr : "abc");
  }
  const std::string text = Build(cells, 2);
  std::size_t expected = 0;
  for (int i = 0; i < 100000; ++i) expected += 5 + 1 + (i % 3 == 0 ? 0 : 3) + 1;
  EXPECT_EQ(text.size(), expected);
  EXPECT_EQ(text.substr(0, 14), "12345|\r12345|a");
}

}  // namespace
}  // namespace kiv::actions
