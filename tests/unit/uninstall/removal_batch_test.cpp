// The self-removal batch: operands, blocks, removal lines, the folder chain and the writer.
#include "uninstall/removal_batch.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace tunovar {
namespace {

TEST(BuildRemoveDirChain, Examples) {
  struct Row {
    const char* name;
    const char* folder;
    const char* chain;
  };
  const Row rows[] = {
      {"three components", "C:\\Apps\\TUNOVAR\\TUNOVAR\\",
       " | cd.. | rd TUNOVAR | cd.. | rd TUNOVAR | cd.. | rd Apps"},
      {"one component", "D:\\Tuno", " | cd.. | rd Tuno"},
      {"one component, final backslash", "X:\\Tuno\\", " | cd.. | rd Tuno"},
      {"drive root", "E:\\", ""},
      {"drive without backslash", "E:", ""},
      {"UNC path", "\\\\server\\share\\x", ""},
      {"empty", "", ""},
      {"long names stay long", "C:\\Program Files\\Ovri Apps\\TUNOVAR\\",
       " | cd.. | rd TUNOVAR | cd.. | rd \"Ovri Apps\" | cd.. | rd \"Program Files\""},
      {"percent doubled", "C:\\100%\\x\\", " | cd.. | rd x | cd.. | rd 100%%"},
      {"operators quoted", "C:\\a&b\\(c)\\", " | cd.. | rd \"(c)\" | cd.. | rd \"a&b\""},
      // An empty component is no folder level: an extra "cd.." would move the removals of
      // every folder above it one level too high.
      {"doubled backslash", "C:\\X\\A\\\\B\\", " | cd.. | rd B | cd.. | rd A | cd.. | rd X"},
      {"dots component stops the chain", "C:\\A\\..\\B\\", " | cd.. | rd B"},
      {"unwritable component stops the chain", "C:\\A\\b\"c\\D\\", " | cd.. | rd D"},
      {"first \":\\\" counts", "C:\\A\\x:\\B", " | cd.. | rd B | cd.. | rd x: | cd.. | rd A"},
  };
  for (const Row& r : rows) EXPECT_EQ(BuildRemoveDirChain(r.folder), r.chain) << r.name;
}

TEST(BatchOperand, QuotesSeparatorsDoublesPercentRefusesImpossibleNames) {
  struct Row {
    const char* name;
    std::string path;
    std::optional<std::string> operand;
  };
  const Row rows[] = {
      {"plain short form", "C:\\APPS\\TUNOVAR\\TUNOVAR\\RUNTIME\\PXD32D5.DLL",
       "C:\\APPS\\TUNOVAR\\TUNOVAR\\RUNTIME\\PXD32D5.DLL"},
      {"tilde, dot, dash, hash stay", "C:\\PROGRA~1\\a-b.c#d", "C:\\PROGRA~1\\a-b.c#d"},
      {"Latin-1 stays", "C:\\M\xFCsik\\x", "C:\\M\xFCsik\\x"},
      {"empty", "", ""},
      {"blank", "C:\\My Music\\x", "\"C:\\My Music\\x\""},
      {"comma", "C:\\a,b", "\"C:\\a,b\""},
      {"semicolon", "C:\\a;b", "\"C:\\a;b\""},
      {"equals", "C:\\a=b", "\"C:\\a=b\""},
      {"ampersand", "C:\\a&del x", "\"C:\\a&del x\""},
      {"pipe", "C:\\a|b", "\"C:\\a|b\""},
      {"less", "C:\\a<b", "\"C:\\a<b\""},
      {"greater", "C:\\a>b", "\"C:\\a>b\""},
      {"caret", "C:\\a^b", "\"C:\\a^b\""},
      {"parentheses", "C:\\x (2)", "\"C:\\x (2)\""},
      {"percent alone is doubled, not quoted", "C:\\%PATH%\\x", "C:\\%%PATH%%\\x"},
      {"percent and blank", "C:\\50 %", "\"C:\\50 %%\""},
      {"slash is a separator, never a switch", "C:\\T\\data/s/q", "C:\\T\\data\\s\\q"},
      {"double quote", "C:\\a\"&calc&\"", std::nullopt},
      {"wildcard star", "C:\\Apps\\*", std::nullopt},
      {"wildcard question", "C:\\Apps\\?.txt", std::nullopt},
      {"line feed", "C:\\a\nformat c:", std::nullopt},
      {"tab", "C:\\a\tb", std::nullopt},
  };
  for (const Row& r : rows) EXPECT_EQ(BatchOperand(r.path), r.operand) << r.name;
}

TEST(FixedBlocks, FilesOfTheSevenBlocks) {
  const std::string app = "C:\\T\\TUNOVAR\\runtime\\";
  std::string named;
  std::string unnamed;
  for (const FixedWaitBlock& block : kFixedWaitBlocks) {
    named += std::string(1, block.label) + "=" + FixedBlockPath(block, app, "C:\\T\\TUNOVAR") + ";";
    unnamed += std::string(1, block.label) + "=" + FixedBlockPath(block, app, "") + ";";
  }
  EXPECT_EQ(named,
            "d=C:\\T\\TUNOVAR\\runtime\\install.exe;e=C:\\T\\TUNOVAR\\runtime\\defile;"
            "f=C:\\T\\TUNOVAR\\runtime\\MSVBVM50.DLL;h=C:\\T\\TUNOVAR\\runtime\\asycfilt.dll;"
            "k=C:\\T\\TUNOVAR\\spinstation.ini;n=C:\\T\\TUNOVAR\\animation.ini;l=C:\\T\\TUNOVAR\\temp.m3u;");
  // Without an InstallDir the blocks of its files wait for nothing.
  EXPECT_EQ(unnamed,
            "d=C:\\T\\TUNOVAR\\runtime\\install.exe;e=C:\\T\\TUNOVAR\\runtime\\defile;"
            "f=C:\\T\\TUNOVAR\\runtime\\MSVBVM50.DLL;h=C:\\T\\TUNOVAR\\runtime\\asycfilt.dll;k=;n=;l=;");
}

TEST(FixedBlocks, FourLinesWithCrLf) {
  EXPECT_EQ(FixedBlockText('e', "C:\\APPS\\TUNOVAR\\TUNOVAR\\RUNTIME\\DEFILE"),
            "echo off\r\n:e\r\ndel C:\\APPS\\TUNOVAR\\TUNOVAR\\RUNTIME\\DEFILE\r\n"
            "if exist C:\\APPS\\TUNOVAR\\TUNOVAR\\RUNTIME\\DEFILE goto e\r\n");
  // A missing file: no name on either line.
  EXPECT_EQ(FixedBlockText('l', ""), "echo off\r\n:l\r\ndel \r\nif exist  goto l\r\n");
  EXPECT_EQ(FixedBlockText('k', "C:\\My Apps\\spinstation.ini"),
            "echo off\r\n:k\r\ndel \"C:\\My Apps\\spinstation.ini\"\r\n"
            "if exist \"C:\\My Apps\\spinstation.ini\" goto k\r\n");
  // A name no file can have waits for nothing, like a missing file.
  EXPECT_EQ(FixedBlockText('d', "C:\\a\"&x"), FixedBlockText('d', ""));
}

TEST(LastLine, FixedTextThenChainWithoutLineEndInEitherForm) {
  struct Row {
    const char* name;
    const char* folder;
    ChainJoin join;
    const char* line;
  };
  const Row rows[] = {
      {"pipe, three components", "C:\\Apps\\TUNOVAR\\TUNOVAR\\", ChainJoin::kPipe,
       "del deinst.pif | del deinst.bat | cd .. | rd runtime | cd.. | rd TUNOVAR | cd.. | rd TUNOVAR | cd.. | rd Apps"},
      {"pipe, one component", "X:\\Tuno\\", ChainJoin::kPipe,
       "del deinst.pif | del deinst.bat | cd .. | rd runtime | cd.. | rd Tuno"},
      {"pipe, drive root", "E:\\", ChainJoin::kPipe, "del deinst.pif | del deinst.bat | cd .. | rd runtime"},
      {"ampersand, three components", "C:\\Apps\\TUNOVAR\\TUNOVAR\\", ChainJoin::kAmpersand,
       "del deinst.pif & del deinst.bat & cd .. & rd runtime & cd.. & rd TUNOVAR & cd.. & rd TUNOVAR & cd.. & rd Apps"},
      {"ampersand, quoted component", "C:\\My Apps\\a&b\\", ChainJoin::kAmpersand,
       "del deinst.pif & del deinst.bat & cd .. & rd runtime & cd.. & rd \"a&b\" & cd.. & rd \"My Apps\""},
      {"ampersand, drive root", "E:\\", ChainJoin::kAmpersand, "del deinst.pif & del deinst.bat & cd .. & rd runtime"},
  };
  for (const Row& r : rows) EXPECT_EQ(LastLineText(r.folder, r.join), r.line) << r.name;
}

TEST(RemovalBatchWriter, WritesPiecesInOrderAndEndsWithoutCrLf) {
  testing::FakeFileSystem fs;
  fs.PutFolder("C:\\T\\runtime");
  RemovalBatchWriter batch(fs.OpenForWriting("C:\\T\\runtime\\deinst.bat", WriteMode::kReplace));
  ASSERT_TRUE(batch.IsOpen());
  (void)batch.WriteFixedBlock('d', "");
  EXPECT_EQ(batch.AddFileLine("C:\\T\\x.dll"), "del C:\\T\\x.dll\r\n");
  EXPECT_FALSE(batch.AddFileLine("C:\\T\\x\"y").has_value());
  (void)batch.AddFolderLine("C:\\T\\data");
  (void)batch.WriteLastLine("C:\\T\\");
  EXPECT_TRUE(batch.Complete());
  batch.Close();
  (void)batch.AddFileLine("C:\\T\\late");  // after closing: goes nowhere
  EXPECT_EQ(fs.Content("C:\\T\\runtime\\deinst.bat"),
            "echo off\r\n:d\r\ndel \r\nif exist  goto d\r\ndel C:\\T\\x.dll\r\nrd C:\\T\\data\r\n"
            "del deinst.pif | del deinst.bat | cd .. | rd runtime | cd.. | rd T");
}

TEST(RemovalBatchWriter, NotCompleteWhenUnopenedOrAWriteFailed) {
  RemovalBatchWriter none(nullptr);
  (void)none.WriteFixedBlock('d', "");
  EXPECT_FALSE(none.IsOpen());
  EXPECT_FALSE(none.Complete());

  testing::FakeFileSystem fs;
  fs.PutFolder("C:\\T");
  RemovalBatchWriter batch(fs.OpenForWriting("C:\\T\\deinst.bat", WriteMode::kReplace));
  (void)batch.WriteFixedBlock('d', "");
  EXPECT_TRUE(batch.Complete());
  ASSERT_EQ(fs.DeleteFile("C:\\T\\deinst.bat"), FsStatus::kOk);  // the fake's writes now fail
  (void)batch.WriteLastLine("C:\\T\\");
  EXPECT_FALSE(batch.Complete());
}

}  // namespace
}  // namespace tunovar
