// File streams share as promised and report failures in German.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/file_stream.h"
#include "platform/text.h"
#include "support/temp_folder.h"

using platform::FileStream;

TEST(FileStream, CreateTruncatesAndReadSeesTheBytes) {
  TempFolder dir;
  const std::string name = dir.File("Ä.bin");
  WriteFileBytes(name, "alter langer Inhalt");
  {
    FileStream out(name, FileStream::Mode::Create);
    out.Write("neu", 3);
  }
  FileStream in(name, FileStream::Mode::Read);
  EXPECT_EQ(in.Size(), 3);
  char buf[8] = {};
  EXPECT_EQ(in.Read(buf, sizeof buf), 3u);
  EXPECT_EQ(std::string(buf, 3), "neu");
  EXPECT_EQ(in.Read(buf, sizeof buf), 0u);
  in.Seek(1);
  EXPECT_EQ(in.Read(buf, 1), 1u);
  EXPECT_EQ(buf[0], 'e');
}

TEST(FileStream, AFileOpenForReadingCanStillBeWrittenByOthers) {
  TempFolder dir;
  const std::string name = dir.File("shared.TSS");
  WriteFileBytes(name, "1234");
  FileStream in(name, FileStream::Mode::Read);
  HANDLE other = CreateFileW(platform::Utf8ToWide(name).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(other, INVALID_HANDLE_VALUE);
  CloseHandle(other);
}

TEST(FileStream, MissingFileRaisesAGermanMessageWithTheName) {
  TempFolder dir;
  const std::string name = dir.File("fehlt.TSD");
  try {
    FileStream in(name, FileStream::Mode::Read);
    FAIL() << "opened a missing file";
  } catch (const platform::EStreamError& e) {
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("Die Datei kann nicht geöffnet werden: \"" + name + "\": ", 0), 0u) << text;
  }
}

TEST(MemoryStream, WritesGrowAndSeekBeyondTheEndFillsWithZeros) {
  platform::MemoryStream m;
  m.Write("ab", 2);
  m.Seek(4);
  m.Write("c", 1);
  EXPECT_EQ(m.Size(), 5);
  EXPECT_EQ(m.Bytes()[2], 0);
  m.Seek(0);
  char buf[5];
  EXPECT_EQ(m.Read(buf, 5), 5u);
  EXPECT_EQ(buf[4], 'c');
}
