#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <random>

#include "TestSupport.h"
#include "chart/canvas/NuvProcsRoutines.h"
#include "platform/Cursors.h"
#include "platform/Registry.h"

namespace {

TDateTime DateTime(int y, int m, int d, double hours = 0) { return EncodeDate(y, m, d) + hours / 24.0; }

std::string DateText(TDateTime v)
{
  int32_t y, m, d;
  DecodeDate(v, y, m, d);
  return std::to_string(y) + "-" + std::to_string(m) + "-" + std::to_string(d);
}

}  // namespace

TEST(NuvProcsPalette, WrapsAroundAndRestores)
{
  EXPECT_EQ(GetDefaultColor(0), clRed);
  EXPECT_EQ(GetDefaultColor(20), clRed);
  EXPECT_EQ(GetDefaultColor(15), clBlack);
  EXPECT_EQ(GetDefaultColor(19), clMedGray);
  EXPECT_THROW(GetDefaultColor(-1), ERangeError);

  SetDefaultColorPalette({clBlue, clLime, clAqua}, 2);
  EXPECT_EQ(GetDefaultColor(4), clLime);
  SetDefaultColorPalette({}, 0);
  EXPECT_EQ(GetDefaultColor(1), clGreen);
  EXPECT_EQ(DefaultPalette.size(), 20u);
  EXPECT_THROW(SetDefaultColorPalette({clBlue}, -1), ERangeError);
}

TEST(NuvProcsDates, StepsSearchAndIndex)
{
  EXPECT_DOUBLE_EQ(FindDateTimeStep(1.0), 2.0);
  EXPECT_DOUBLE_EQ(FindDateTimeStep(400.0), 365.0);
  EXPECT_DOUBLE_EQ(FindDateTimeStep(0.0), 365.0);
  EXPECT_EQ(DateTimeStepIndex(1.0), 16);
  EXPECT_EQ(DateTimeStepIndex(15.0), 20);
  EXPECT_EQ(DateTimeStepIndex(365.0), 26);
  EXPECT_EQ(DateTimeStepIndex(0.4), NumDateTimeSteps);
  EXPECT_EQ(DateTimeDefaultFormat(2.0), "dd/mm/yyyy");
  EXPECT_EQ(DateTimeDefaultFormat(1.0), "hh:nn:ss");
}

TEST(NuvProcsDates, RoundToStep)
{
  const TDateTime v = DateTime(2005, 3, 20, 14);
  EXPECT_DOUBLE_EQ(RoundDateToStep(20, v), DateTime(2005, 3, 15));
  EXPECT_DOUBLE_EQ(RoundDateToStep(20, DateTime(2005, 3, 14, 3)), DateTime(2005, 3, 1));
  EXPECT_DOUBLE_EQ(RoundDateToStep(23, v), DateTime(2005, 3, 1));
  EXPECT_DOUBLE_EQ(RoundDateToStep(26, v), DateTime(2005, 1, 1));
  EXPECT_DOUBLE_EQ(RoundDateToStep(16, v), DateTime(2005, 3, 20));
  // On or before the origin nothing changes.
  EXPECT_DOUBLE_EQ(RoundDateToStep(26, 1.5), 1.5);
}

TEST(NuvProcsDates, CalendarIncrements)
{
  double v = DateTime(2005, 3, 1);
  IncrementDateTime(true, false, v, 15, 20);
  EXPECT_EQ(DateText(v), "2005-2-15");
  IncrementDateTime(true, false, v, 15, 20);
  EXPECT_EQ(DateText(v), "2005-2-1");

  v = DateTime(2005, 3, 15, 6);
  IncrementDateTime(true, true, v, 15, 20);
  EXPECT_DOUBLE_EQ(v, DateTime(2005, 4, 1));

  v = DateTime(2005, 12, 9);
  IncrementDateTime(true, true, v, 30, 21);
  EXPECT_EQ(DateText(v), "2006-1-1");
  v = DateTime(2005, 3, 9);
  IncrementDateTime(true, false, v, 182, 25);
  EXPECT_EQ(DateText(v), "2004-9-1");
  v = DateTime(2005, 6, 9);
  IncrementDateTime(true, false, v, 182, 25);
  EXPECT_EQ(DateText(v), "2004-12-1");

  // A year after 29 February: the last day of February, not an invalid date.
  v = DateTime(2008, 2, 29);
  IncrementDateTime(true, true, v, 365, 26);
  EXPECT_EQ(DateText(v), "2009-2-28");

  // Plain values and the small steps move by the step, time of day kept.
  v = 10.25;
  IncrementDateTime(false, true, v, 30, 21);
  EXPECT_DOUBLE_EQ(v, 40.25);
  v = 10.25;
  IncrementDateTime(true, false, v, 1, 16);
  EXPECT_DOUBLE_EQ(v, 9.25);
}

TEST(NuvProcsGeometry, LineTolerance)
{
  // Tolerance 0 accepts points up to one pixel away from the segment.
  EXPECT_TRUE(PointInLine(Point(5, 1), 0, 0, 10, 0));
  EXPECT_FALSE(PointInLine(Point(5, 2), 0, 0, 10, 0));
  EXPECT_TRUE(PointInLineTolerance(Point(5, 3), 0, 0, 10, 0, 2));
  // Beyond the end the distance is to the end point, not to the infinite line.
  EXPECT_FALSE(PointInLine(Point(15, 0), 0, 0, 10, 0));
  EXPECT_TRUE(PointInLine(Point(11, 0), 0, 0, 10, 0));
  EXPECT_TRUE(PointInLine(Point(3, 3), 3, 3, 3, 3));

  EXPECT_TRUE(PointInLinePoints(Point(2, 0), Point(0, 0), Point(10, 0), 0));
  EXPECT_TRUE(NearFirstPoint);
  EXPECT_TRUE(PointInLine(Point(9, 1), 0, 0, 10, 0));
  EXPECT_FALSE(NearFirstPoint);
}

TEST(NuvProcsGeometry, PolygonsTrianglesEllipses)
{
  std::vector<TPoint> square = {Point(0, 0), Point(10, 0), Point(10, 10), Point(0, 10)};
  EXPECT_TRUE(PointInPolygon(Point(5, 5), square, 3));
  EXPECT_FALSE(PointInPolygon(Point(15, 5), square, 3));
  EXPECT_FALSE(PointInPolygon(Point(5, 5), square, -1));

  EXPECT_TRUE(PointInTriangle(Point(10, 8), 0, 20, 0, 10));
  EXPECT_FALSE(PointInTriangle(Point(1, 1), 0, 20, 0, 10));
  EXPECT_TRUE(PointInHorizTriangle(Point(8, 10), 0, 20, 0, 10));
  EXPECT_FALSE(PointInHorizTriangle(Point(1, 1), 0, 20, 0, 10));

  EXPECT_TRUE(PointInEllipse(Point(10, 5), 0, 0, 20, 10));
  EXPECT_TRUE(PointInEllipse(Point(20, 5), 0, 0, 20, 10));
  EXPECT_FALSE(PointInEllipse(Point(19, 9), 0, 0, 20, 10));
  EXPECT_FALSE(PointInEllipse(Point(0, 0), 0, 0, 0, 10));
}

TEST(NuvProcsSort, QuickSortMatchesStandardSort)
{
  std::mt19937 rng(7);
  for (int n : {1, 2, 3, 17, 500}) {
    std::vector<int> data(n);
    for (int& x : data) x = static_cast<int>(rng() % 20);
    std::vector<int> expected = data;
    std::sort(expected.begin(), expected.end());
    QuickSort(
        0, n - 1, [&](int32_t a, int32_t b) { return data[a] - data[b]; },
        [&](int32_t a, int32_t b) { std::swap(data[a], data[b]); });
    EXPECT_EQ(data, expected) << "n = " << n;
  }
}

namespace {
// The partition as the routine is specified, recursing into Lo..J first and then I..Hi.
void ReferenceQuickSort(int32_t lo, int32_t hi, const std::vector<int>& key, std::vector<int>& order)
{
  int32_t i = lo, j = hi, x = (lo + hi) / 2;
  auto compare = [&](int32_t a, int32_t b) { return key[order[a]] - key[order[b]]; };
  while (i < j) {
    while (compare(i, x) < 0) ++i;
    while (compare(x, j) < 0) --j;
    if (i < j) {
      std::swap(order[i], order[j]);
      if (i == x) x = j;
      else if (j == x) x = i;
    }
    if (i <= j) {
      ++i;
      --j;
    }
  }
  if (lo < j) ReferenceQuickSort(lo, j, key, order);
  if (i < hi) ReferenceQuickSort(i, hi, key, order);
}
}  // namespace

TEST(NuvProcsSort, EqualKeysEndInThePartitionsOrder)
{
  // Equal keys come out in the order the partition gives when Lo..J is sorted before I..Hi (a
  // value list sorted by X carries its other lists along in that order).
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    const int n = 2 + static_cast<int>(rng() % 60);
    std::vector<int> key(static_cast<size_t>(n));
    for (int& k : key) k = static_cast<int>(rng() % 4);
    std::vector<int> expected(key.size()), order(key.size());
    for (int i = 0; i < n; ++i) expected[i] = order[i] = i;
    ReferenceQuickSort(0, n - 1, key, expected);
    QuickSort(
        0, n - 1, [&](int32_t a, int32_t b) { return key[order[a]] - key[order[b]]; },
        [&](int32_t a, int32_t b) { std::swap(order[a], order[b]); });
    ASSERT_EQ(order, expected) << "round " << round;
  }
}

TEST(NuvProcsSort, DeepPartitionsDoNotExhaustTheStack)
{
  // A middle element that is always the largest leaves one element per pass: the parts still to
  // sort are as many as the elements. Sorted on a thread with a small stack.
  const int n = 6000;
  std::vector<int> data(n);
  // Built up from one element: each larger range has its largest value in the middle, and the
  // pass puts back the range before it.
  data[0] = 0;
  for (int h = 1; h < n; ++h) {
    data[h] = data[h / 2];
    data[h / 2] = h;
  }
  struct Job {
    std::vector<int>* data;
    static void* Run(void* p)
    {
      std::vector<int>& d = *static_cast<Job*>(p)->data;
      QuickSort(
          0, static_cast<int32_t>(d.size()) - 1,
          [&](int32_t a, int32_t b) { return d[a] < d[b] ? -1 : (d[a] > d[b] ? 1 : 0); },
          [&](int32_t a, int32_t b) { std::swap(d[a], d[b]); });
      return nullptr;
    }
  } job{&data};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, &Job::Run, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_TRUE(std::is_sorted(data.begin(), data.end()));
}

TEST(NuvProcsTexts, LinesAndCharacters)
{
  EXPECT_EQ(CountTextLines(""), 0);
  EXPECT_EQ(CountTextLines("a;b;"), 3);
  EXPECT_EQ(CountTextLines("a|b", "|"), 2);
  EXPECT_EQ(LineSeparator, ";");
  EXPECT_EQ(ExtractTextLine("one;two;three", 2), "two");
  EXPECT_EQ(ExtractTextLine("one;two;three", 3), "three");
  EXPECT_EQ(ExtractTextLine("one;two", 3), "");
  EXPECT_EQ(ExtractTextLine("one||two", 2, "||"), "two");
  EXPECT_EQ(LineSeparator, ";");
  EXPECT_EQ(ReplaceChar("a,b,c", ',', '.'), "a.b.c");
  EXPECT_EQ(ReplaceChar("a,b,c", ',', '\0'), "abc");
  EXPECT_EQ(IntegerToString(-42), "-42");

  TComponent owner;
  auto* a = new TComponent(&owner);
  a->SetName("Series1");
  auto* b = new TComponent(&owner);
  b->SetName("Series2");
  EXPECT_EQ(GetUniqueComponentName(&owner, "Series"), "Series3");
  EXPECT_EQ(GetUniqueComponentName(&owner, "Tool"), "Tool1");
  EXPECT_EQ(GetUniqueComponentName(nullptr, "Series"), "Series1");
}

TEST(NuvProcsEditorOptions, StoredInRegistryWithDefaults)
{
  testsupport::TempDir dir;
  TRegistry::SetStoreFile(dir.file("registry.conf"));
  EXPECT_FALSE(ReadEditorBool("SmoothGallery", false));
  EXPECT_TRUE(ReadEditorBool("RememberSize", true));
  EXPECT_EQ(ReadEditorInteger("GalleryMode", 0), 0);

  WriteEditorBool("SmoothGallery", true);
  EXPECT_TRUE(ReadEditorBool("SmoothGallery", false));
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("SOFTWARE\\Brenik Software\\NuvChart Pro\\Editor", false));
    reg.WriteInteger("GalleryMode", 2);
    reg.WriteString("TreeMode", "yes");
    auto names = reg.GetValueNames();
    EXPECT_EQ(names.size(), 3u);
  }
  EXPECT_EQ(ReadEditorInteger("GalleryMode", 0), 2);
  // A value of another kind falls back to the default.
  EXPECT_FALSE(ReadEditorBool("TreeMode", false));

  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("SOFTWARE\\Nothing", false));
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\Brenik Software"));
  ASSERT_TRUE(reg.OpenKeyReadOnly("SOFTWARE\\Brenik Software\\NuvChart Pro\\Editor"));
  EXPECT_THROW(reg.WriteBool("X", true), ERegistryException);
  EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);
  TRegistry::SetStoreFile("");
}

TEST(NuvProcsExportData, SavesTextExactly)
{
  struct Export : TNuvExportData {
    std::string AsString() override { return "x;y\r\n1;2\r\n"; }
  } exp;
  testsupport::TempDir dir;
  const std::string file = dir.file("data.txt");
  testsupport::WriteAll(file, "an older and much longer content of the file");
  exp.SaveToFile(file);
  EXPECT_EQ(testsupport::ReadAll(file), "x;y\r\n1;2\r\n");
  TNuvExportData empty;
  empty.SaveToFile(file);
  EXPECT_EQ(testsupport::ReadAll(file), "");
  EXPECT_THROW(exp.SaveToFile(dir.file("no/such/folder.txt")), EInOutError);
}

TEST(NuvProcsCursor, HandCursorRegistered)
{
  const TCursorImage* img = ScreenCursors().Image(crNuvHand);
  ASSERT_NE(img, nullptr);
  ASSERT_EQ(img->Pixels.size(), static_cast<size_t>(img->Width * img->Height));
  // The hot spot is on the drawn finger tip, not on a transparent pixel.
  EXPECT_NE(img->Pixels[img->HotY * img->Width + img->HotX] >> 24, 0u);
}

// A check box leaves the canvas's pen and brush as it found them.
TEST(NuvProcsCheckBox, PenAndBrushRestored)
{
  TBitmap b;
  b.SetSize(40, 40);
  TCanvas* c = b.Canvas();
  c->Pen()->SetStyle(psDash);
  c->Pen()->SetWidth(3);
  c->Pen()->SetColor(clRed);
  c->Brush()->SetColor(clLime);
  c->Brush()->SetStyle(bsClear);
  for (bool radio : {false, true}) {
    DrawCheckBox(5, 5, c, true, clWhite, radio);
    EXPECT_EQ(c->Pen()->GetStyle(), psDash);
    EXPECT_EQ(c->Pen()->GetWidth(), 3);
    EXPECT_EQ(c->Pen()->GetColor(), clRed);
    EXPECT_EQ(c->Brush()->GetStyle(), bsClear);
    EXPECT_EQ(c->Brush()->GetColor(), clLime);
  }
}
