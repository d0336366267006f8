#include <gtest/gtest.h>

#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/MessageBox.h"
#include "platform/SysUtils.h"
#include "platform/TextFile.h"
#include "platform/Types.h"

using testsupport::ReadAll;
using testsupport::TempDir;
using testsupport::WriteAll;

TEST(TextFile, WritesCrLfAndReadsEitherLineEnd)
{
  TempDir dir;
  const std::string f = dir.file("a.txt");
  ASSERT_TRUE(WriteTextLines(f, {"one", "", "three"}));
  EXPECT_EQ(ReadAll(f), "one\r\n\r\nthree\r\n");
  std::vector<std::string> lines;
  ASSERT_TRUE(ReadTextLines(f, lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "", "three"}));

  WriteAll(f, "a\nb\r\nc");
  ASSERT_TRUE(ReadTextLines(f, lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c"}));
  WriteAll(f, "");
  ASSERT_TRUE(ReadTextLines(f, lines));
  EXPECT_TRUE(lines.empty());
  EXPECT_FALSE(ReadTextLines(dir.file("missing.txt"), lines));
  EXPECT_FALSE(ReadTextLines(dir.path().string(), lines));  // a folder is not an empty file
}

// Lines come block by block: a line across blocks comes whole, Eof holds once the last line is read,
// and what is not text stops the reading where it is met, with the reason.
TEST(TextFile, ReaderTakesLinesAcrossBlocksAndStopsAtWhatIsNotText)
{
  TempDir dir;
  const std::string f = dir.file("a.txt");
  const std::string across(TTextReader::BlockSize + 10, 'a');
  WriteAll(f, "one\r\n" + across + "\r\n\nlast");
  TTextReader in(f);
  ASSERT_TRUE(in.IsOpen());
  EXPECT_EQ(in.ReadLn(), "one");
  EXPECT_EQ(in.ReadLn(), across);
  EXPECT_EQ(in.ReadLn(), "");
  EXPECT_FALSE(in.Eof());
  EXPECT_EQ(in.ReadLn(), "last");
  EXPECT_TRUE(in.Eof());
  EXPECT_EQ(in.ReadLn(), "");
  EXPECT_FALSE(in.Failed());
  EXPECT_EQ(in.LineNumber(), 4u);

  std::vector<std::string> lines;
  std::string error;
  WriteAll(f, std::string("a\nb\0c\nd\n", 8));
  EXPECT_FALSE(ReadTextLines(f, lines, &error));
  EXPECT_EQ(error, "it holds binary data (a zero byte in line 2)");
  EXPECT_EQ(lines, (std::vector<std::string>{"a"}));
  // A line of 2 MB is text; one byte more is not.
  const std::string mb(TTextReader::MaxLineLength, 'x');
  WriteAll(f, "a\r\n" + mb + "\r\n");
  EXPECT_TRUE(ReadTextLines(f, lines, &error));
  EXPECT_EQ(lines.size(), 2u);
  WriteAll(f, "a\r\n" + mb + "x\r\nb\r\n");
  EXPECT_FALSE(ReadTextLines(f, lines, &error));
  EXPECT_EQ(error, "it holds no text (line 2 is longer than 2 MB)");
  EXPECT_FALSE(ReadTextLines(dir.file("missing.txt"), lines, &error));
  EXPECT_EQ(error, "it does not exist");

  // 512 MB of zero bytes (a sparse file: no disk): refused in the first block.
  const std::string zero = dir.file("zero.txt");
  WriteAll(zero, "");
  std::filesystem::resize_file(zero, uint64_t{512} << 20);
  TTextReader z(zero);
  EXPECT_FALSE(z.Eof());
  EXPECT_EQ(z.ReadLn(), "");
  EXPECT_TRUE(z.Eof());
  EXPECT_EQ(z.Error(), "it holds binary data (a zero byte in line 1)");
  EXPECT_EQ(z.BytesRead(), TTextReader::BlockSize);
}

TEST(TextFile, FailedWriteKeepsTheFolderClean)
{
  TempDir dir;
  // The target is a folder: the rename fails, the error is reported and no temporary file stays.
  std::filesystem::create_directory(dir.file("target"));
  WriteAll(dir.file("target/inside.txt"), "x");
  std::string error;
  EXPECT_FALSE(WriteTextLines(dir.file("target"), {"x"}, &error));
  EXPECT_FALSE(error.empty());
  int count = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++count;
  }
  EXPECT_EQ(count, 1);
  EXPECT_FALSE(WriteTextLines(dir.file("no/such/folder.txt"), {"x"}, &error));
}

// Only a file is replaced through a temporary one: a pipe (or a device) is written as it is, and a
// link keeps pointing at the file it names, which gets the new text.
TEST(TextFile, PipesAndLinksStayWhatTheyAre)
{
  TempDir dir;
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_TRUE(WriteTextLines(fifo, {"through"}));
  char buffer[64] = {};
  EXPECT_EQ(read(reader, buffer, sizeof buffer), 9);
  EXPECT_EQ(std::string(buffer), "through\r\n");
  close(reader);
  struct stat st {};
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  WriteAll(dir.file("real.txt"), "old");
  std::filesystem::create_symlink("real.txt", dir.file("link.txt"));
  EXPECT_TRUE(WriteTextLines(dir.file("link.txt"), {"new"}));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
  EXPECT_EQ(ReadAll(dir.file("real.txt")), "new\r\n");
  int count = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++count;
  }
  EXPECT_EQ(count, 3);
}

TEST(SysUtils, DefaultScientificForm)
{
  EXPECT_EQ(FloatToStrSci(1250), " 1.25000000000000E+0003");
  EXPECT_EQ(FloatToStrSci(-0.5), "-5.00000000000000E-0001");
  EXPECT_EQ(FloatToStrSci(0), " 0.00000000000000E+0000");
  EXPECT_EQ(FloatToStrSci(6.53737e5), " 6.53737000000000E+0005");
  EXPECT_EQ(FloatToStrSci(1e-300).size(), 23u);
  double back = 0;
  ASSERT_TRUE(TryStrToFloat(FloatToStrSci(0.1), back));
  EXPECT_EQ(back, 0.1);
  ASSERT_TRUE(TryStrToFloat(FloatToStrSci(123456.789012345), back));
  EXPECT_EQ(back, 123456.789012345);
}

TEST(SysUtils, NumberTextForms)
{
  double v = 0;
  EXPECT_TRUE(TryStrToFloat("1.", v));
  EXPECT_EQ(v, 1.0);
  EXPECT_TRUE(TryStrToFloat(".5", v));
  EXPECT_EQ(v, 0.5);
  EXPECT_TRUE(TryStrToFloat("+2e3", v));
  EXPECT_EQ(v, 2000.0);
  EXPECT_TRUE(TryStrToFloat("1e-400", v));
  EXPECT_EQ(v, 0.0);
  for (const char* bad : {"", ".", "-", "1e", "0x10", "inf", "nan", "1,5", "1 2", "1e400", "--1"})
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
  EXPECT_THROW(StrToFloat("x"), EConvertError);
  int32_t i = 0;
  EXPECT_TRUE(TryStrToInt(" -12 ", i));
  EXPECT_EQ(i, -12);
  EXPECT_FALSE(TryStrToInt("99999999999", i));
  EXPECT_FALSE(TryStrToInt("1.5", i));
}

TEST(SysUtils, FixedPointRoundsHalfAwayOnFifteenDigits)
{
  EXPECT_EQ(FloatToStrFixed(-0.001, 2), "0.00");
  EXPECT_EQ(FloatToStrFixed(0.5, 0), "1");
  EXPECT_EQ(FloatToStrFixed(-2.5, 0), "-3");
  EXPECT_EQ(FloatToStrFixed(2.675, 2), "2.68");
  EXPECT_EQ(FloatToStrFixed(9.995, 2), "10.00");
  EXPECT_EQ(FloatToStrFixed(0.0004, 3), "0.000");
  EXPECT_EQ(FloatToStrFixed(0.0005, 3), "0.001");
  EXPECT_EQ(FloatToStrFixed(123456789.0, 1), "123456789.0");
  EXPECT_EQ(FloatToStrFixed(1e20, 0), "100000000000000000000");
  EXPECT_EQ(FloatToStrFixed(0.0, 2), "0.00");
  EXPECT_EQ(FloatToStrFixed(653737.0, 0), "653737");
}

TEST(SysUtils, FileNames)
{
  EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
  EXPECT_EQ(ExtractFileExt("/a/line.K2D"), ".K2D");
  EXPECT_EQ(ChangeFileExt("/a/t.dat", ".out"), "/a/t.out");
  EXPECT_EQ(ChangeFileExt("/a.b/t", ".out"), "/a.b/t.out");
  EXPECT_EQ(ExtractFilePath("/a/b/c.prj"), "/a/b/");
  EXPECT_EQ(ExtractFilePath("c.prj"), "");
  TempDir dir;
  EXPECT_FALSE(FileExists(dir.path().string()));
  EXPECT_FALSE(FileExists(""));
  WriteAll(dir.file("x"), "1");
  EXPECT_TRUE(FileExists(dir.file("x")));
}

TEST(MessageBox, CaptureRecordsAndAnswers)
{
  TMessageCapture outer;
  ShowMessage("first");
  {
    TMessageCapture inner;
    inner.Answer = 7;
    EXPECT_EQ(MessageDlg("question", TMsgDlgType::mtConfirmation, mbYes | mbNo), 7);
    EXPECT_EQ(inner.Messages(), (std::vector<std::string>{"question"}));
  }
  ShowMessage("second");
  EXPECT_EQ(outer.Messages(), (std::vector<std::string>{"first", "second"}));
}
