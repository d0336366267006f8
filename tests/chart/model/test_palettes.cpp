// The named colour palettes: names in order, table sizes, out-of-range indexes.
#include <gtest/gtest.h>

#include "chart/model/ChartPalettes.h"

TEST(Palettes, NamesAndTables)
{
  const std::vector<std::string> names = {"NuvChart", "Excel", "Victorian", "Pastels", "Solid",
                                          "Classic",  "Web",   "Modern",    "Rainbow", "Win. XP"};
  EXPECT_EQ(ColorPalettes(), names);
  const size_t counts[] = {0, 22, 11, 14, 8, 12, 9, 14, 25, 13};
  for (int i = 0; i < NuvPaletteCount; ++i) EXPECT_EQ(PaletteColors(i).size(), counts[i]) << i;
  // Colours as the tables give them, blue in the high byte.
  EXPECT_EQ(PaletteColors(4).front(), 0xFF0000u);
  EXPECT_EQ(PaletteColors(8).back(), 0xFF00CCu);
  EXPECT_EQ(PaletteColors(9)[4], 0xFCFEFDu);
  for (int i : {-1, -100, 10, 12, 1 << 30}) EXPECT_TRUE(PaletteColors(i).empty()) << i;
}
