// File streams share as promised and report failures in German.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/file_stream.h"
#include "platform/text.h"
#include "support/temp_folder.h"

using platform::FileStream;

TEST(FileStream, CreateTruncatesReadLetsOthersWriteAndAMissingFileIsNamed) {
  TempFolder dir;
  const std::string name = dir.File("Ä.bin"), missing = dir.File("fehlt.TSD");
  WriteFileBytes(name, "alter langer Inhalt");
  FileStream(name, FileStream::Mode::Create).Write("neu", 3);
  FileStream in(name, FileStream::Mode::Read);
  char buf[8] = {};
  in.Seek(1);
  EXPECT_EQ(std::string(buf, in.Read(buf, sizeof buf)), "eu");
  HANDLE other = CreateFileW(platform::Utf8ToWide(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(other, INVALID_HANDLE_VALUE);
  CloseHandle(other);
  EXPECT_THAT([&] { FileStream(missing, FileStream::Mode::Read); },
              testing::ThrowsMessage<platform::EStreamError>(
                  testing::StartsWith("Die Datei kann nicht geöffnet werden: \"" + missing + "\": ")));
}

TEST(MemoryStream, SeekBeyondTheEndFillsWithZerosOnWriting) {
  platform::MemoryStream m;
  m.Write("ab", 2);
  m.Seek(4);
  m.Write("c", 1);
  EXPECT_EQ(m.Bytes(), (std::vector<uint8_t>{'a', 'b', 0, 0, 'c'}));
}
