#include "app/PseudoSection2dExport.h"

#include <algorithm>

#include "app/PseudoSection2dContour.h"
#include "platform/SysUtils.h"
#include "platform/TextFile.h"

bool WriteSectionXYZ(const std::string& fileName, const std::vector<dVertex3d>& nodes, int32_t nextNode,
                     std::string* error)
{
  std::vector<std::string> lines;
  lines.push_back("X -Y  Z");
  const int32_t last = std::min<int32_t>(nextNode - 1, static_cast<int32_t>(nodes.size()) - 1);
  for (int32_t i = 1; i <= last; ++i) {
    const dVertex3d& n = nodes[static_cast<size_t>(i)];
    lines.push_back(FloatToStrSci(n.x) + " " + FloatToStrSci(-n.y) + " " + FloatToStrSci(n.value));
  }
  return WriteTextLines(fileName, lines, error);
}

TSectionPictureFormat SectionPictureFormat(std::string& fileName)
{
  const std::string ext = LowerCase(ExtractFileExt(fileName));
  if (ext == ".wmf") return TSectionPictureFormat::Placeable;
  if (ext == ".bmp") return TSectionPictureFormat::Bitmap;
  if (ext != ".emf") fileName = ChangeFileExt(fileName, ".emf");
  return TSectionPictureFormat::Enhanced;
}
