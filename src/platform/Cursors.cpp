#include "platform/Cursors.h"

#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <algorithm>

void TScreenCursors::SetCursor(TCursor id, const TCursorImage& image)
{
  for (auto& entry : cursors_)
    if (entry.first == id) {
      entry.second = image;
      return;
    }
  cursors_.emplace_back(id, image);
}

void TScreenCursors::RemoveCursor(TCursor id)
{
  cursors_.erase(std::remove_if(cursors_.begin(), cursors_.end(), [id](const auto& e) { return e.first == id; }),
                 cursors_.end());
}

bool TScreenCursors::HasCursor(TCursor id) const { return Image(id) != nullptr; }

const TCursorImage* TScreenCursors::Image(TCursor id) const
{
  for (const auto& entry : cursors_)
    if (entry.first == id) return &entry.second;
  return nullptr;
}

TScreenCursors& ScreenCursors()
{
  static TScreenCursors cursors;
  return cursors;
}

namespace {
// 32 x 32 pointing hand: '#' outline, '.' fill, blank transparent. Hot spot at the finger tip.
const char* const kHand[32] = {
    "      ##                        ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..###                     ",
    "     #..#..###                  ",
    "     #..#..#..##                ",
    "     #..#..#..#.#               ",
    " ### #..#..#..#..#              ",
    " #..##........#..#              ",
    " #...#...........#              ",
    "  #..............#              ",
    "   #.............#              ",
    "   #.............#              ",
    "    #...........#               ",
    "    #...........#               ",
    "     #.........#                ",
    "     #.........#                ",
    "     ###########                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                "};

TCursorImage HandCursor()
{
  TCursorImage image;
  image.Width = 32;
  image.Height = 32;
  image.HotX = 6;
  image.HotY = 0;
  image.Pixels.resize(32 * 32, 0);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      char c = kHand[y][x];
      image.Pixels[y * 32 + x] = c == '#' ? 0xFF000000u : c == '.' ? 0xFFFFFFFFu : 0u;
    }
  return image;
}
}  // namespace

bool LoadCursorResource(const std::string& name, TCursorImage& image)
{
  if (name == "NUV_CURSOR_HAND") {
    image = HandCursor();
    return true;
  }
  return false;
}

QCursor CursorToQCursor(TCursor id)
{
  if (const TCursorImage* img = ScreenCursors().Image(id)) {
    QImage q(img->Width, img->Height, QImage::Format_ARGB32);
    for (int y = 0; y < img->Height; ++y)
      for (int x = 0; x < img->Width; ++x) q.setPixel(x, y, img->Pixels[y * img->Width + x]);
    return QCursor(QPixmap::fromImage(q), img->HotX, img->HotY);
  }
  switch (id) {
  case crNone: return QCursor(Qt::BlankCursor);
  case crCross: return QCursor(Qt::CrossCursor);
  case crIBeam: return QCursor(Qt::IBeamCursor);
  case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
  case crSizeNS: return QCursor(Qt::SizeVerCursor);
  case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
  case crSizeWE: return QCursor(Qt::SizeHorCursor);
  case crUpArrow: return QCursor(Qt::UpArrowCursor);
  case crHourGlass: case crSQLWait: return QCursor(Qt::WaitCursor);
  case crDrag: case crMultiDrag: return QCursor(Qt::DragCopyCursor);
  case crNoDrop: case crNo: return QCursor(Qt::ForbiddenCursor);
  case crHSplit: return QCursor(Qt::SplitHCursor);
  case crVSplit: return QCursor(Qt::SplitVCursor);
  case crAppStart: return QCursor(Qt::BusyCursor);
  case crHelp: return QCursor(Qt::WhatsThisCursor);
  case crHandPoint: return QCursor(Qt::PointingHandCursor);
  case crSizeAll: return QCursor(Qt::SizeAllCursor);
  default: return QCursor(Qt::ArrowCursor);
  }
}
