// Writes the field section's nodes, values, triangles, levels and colours as the contouring uses
// them (after the levels are chosen), as text for the comparison script section_matplotlib.py.
//   dump_section_triangles [model file] > section.txt
#include <cstdio>
#include <string>

#include "app/ProfileModel.h"
#include "app/PseudoSection2dContour.h"

int main(int argc, char** argv)
{
  const std::string file = argc > 1 ? argv[1] : std::string(ORBISK_FIELD_DATA) + "/line1.k2d";
  fdata res, pol;
  if (!ReadModelFile(file, res, pol)) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return 1;
  }
  TPseudoSectionContour c(5 * 1024, 5 * 768);
  c.SetGridInput(res, res);
  c.LevelCount = 15;
  c.BuildSection(true);
  c.UpdateLevels();
  // The picture spans PictureWidth x PictureHeight pixels from (PlotXMin, PlotYMin), y downwards.
  std::printf("picture %d %d %.17g %.17g %.17g %.17g\n", c.PictureWidth, c.PictureHeight, c.PlotXMin, c.PlotYMin,
              c.XScale, c.YScale);
  std::printf("nodes %d\n", c.NextNode - 1);
  for (int32_t i = 1; i < c.NextNode; ++i)
    std::printf("%.17g %.17g %.17g\n", c.NodeTable[i].x, c.NodeTable[i].y, c.NodeTable[i].value);
  std::printf("triangles %d\n", c.TriangleCount);
  for (int32_t t = 1; t <= c.TriangleCount; ++t) {
    const dTriangle& tr = c.TriangleTable[t];
    std::printf("%d %d %d\n", tr.vertices[0] - 1, tr.vertices[1] - 1, tr.vertices[2] - 1);
  }
  std::printf("levels %d\n", c.LevelCount);
  for (double v : c.LevelValues) std::printf("%.17g\n", v);
  // Colours as 0xBBGGRR.
  std::printf("bands %zu\n", c.BandColors.size());
  for (TColor k : c.BandColors) std::printf("%06x\n", static_cast<unsigned>(k) & 0xFFFFFF);
  std::printf("isolines %zu\n", c.IsolineColors.size());
  for (TColor k : c.IsolineColors) std::printf("%06x\n", static_cast<unsigned>(k) & 0xFFFFFF);
  return 0;
}
