// Byte layout of the item stream, buffering and positions, and damaged input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "platform/file_stream.h"
#include "platform/stream.h"
#include "model/data_stream.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

template <typename F>
Bytes Written(F write) {
  platform::MemoryStream stream;
  {
    DataWriter w(stream);
    write(w);
  }
  return stream.Bytes();
}

std::string ReadError(const Bytes& bytes, void (*read)(DataReader&)) {
  platform::MemoryStream stream(bytes);
  DataReader r(stream);
  try {
    read(r);
  } catch (const EReadError& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace

TEST(DataWriter, IntegersTakeTheSmallestForm) {
  struct Case { int32_t value; Bytes bytes; };
  const std::vector<Case> cases = {
      {0, {2, 0}},
      {-1, {2, 0xFF}},
      {127, {2, 0x7F}},
      {-128, {2, 0x80}},
      {128, {3, 0x80, 0x00}},
      {-129, {3, 0x7F, 0xFF}},
      {32767, {3, 0xFF, 0x7F}},
      {-32768, {3, 0x00, 0x80}},
      {32768, {4, 0x00, 0x80, 0x00, 0x00}},
      {-32769, {4, 0xFF, 0x7F, 0xFF, 0xFF}},
      {INT32_MIN, {4, 0x00, 0x00, 0x00, 0x80}},
      {INT32_MAX, {4, 0xFF, 0xFF, 0xFF, 0x7F}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Written([&](DataWriter& w) { w.WriteInteger(c.value); }), c.bytes) << c.value;
    platform::MemoryStream stream(c.bytes);
    DataReader r(stream);
    EXPECT_EQ(r.ReadInteger(), c.value);
  }
}

TEST(DataWriter, StringsShortUpTo255BytesLongBeyond) {
  EXPECT_EQ(Written([](DataWriter& w) { w.WriteString(""); }), (Bytes{6, 0}));
  EXPECT_EQ(Written([](DataWriter& w) { w.WriteString("Ab"); }), (Bytes{6, 2, 'A', 'b'}));

  const Bytes s255 = Written([](DataWriter& w) { w.WriteString(std::string(255, 'x')); });
  ASSERT_EQ(s255.size(), 257u);
  EXPECT_EQ(s255[0], 6);
  EXPECT_EQ(s255[1], 255);

  const Bytes s256 = Written([](DataWriter& w) { w.WriteString(std::string(256, 'y')); });
  ASSERT_EQ(s256.size(), 261u);
  EXPECT_EQ((Bytes{s256.begin(), s256.begin() + 5}), (Bytes{12, 0x00, 0x01, 0x00, 0x00}));
}

TEST(DataWriter, BooleansListsAndRawBytes) {
  const Bytes bytes = Written([](DataWriter& w) {
    w.WriteListBegin();
    w.WriteBoolean(true);
    w.WriteBoolean(false);
    w.WriteListEnd();
    const uint8_t raw[3] = {0xDE, 0xAD, 0x00};
    w.WriteRaw(raw, 3);
  });
  EXPECT_EQ(bytes, (Bytes{1, 9, 8, 0, 0xDE, 0xAD, 0x00}));
}

TEST(DataReader, RoundTripOfEveryItemKind) {
  const std::string bin("\r\n\0\x7F", 4);  // any byte, terminators included
  const std::string umlauts = "Größe Übersicht";
  const Bytes bytes = Written([&](DataWriter& w) {
    w.WriteString(bin);
    w.WriteString(umlauts);
    w.WriteString(std::string(70000, 'z'));
    w.WriteInteger(-5);
    w.WriteInteger(1000);
    w.WriteInteger(100000);
    w.WriteBoolean(true);
    w.WriteListBegin();
    w.WriteListEnd();
  });
  platform::MemoryStream stream(bytes);
  DataReader r(stream, kSmallReaderBufferSize);  // strings larger than the buffer
  EXPECT_EQ(r.ReadString(), bin);
  EXPECT_EQ(r.ReadString(), umlauts);
  EXPECT_EQ(r.ReadString(), std::string(70000, 'z'));
  EXPECT_EQ(r.ReadInteger(), -5);
  EXPECT_EQ(r.ReadInteger(), 1000);
  EXPECT_EQ(r.ReadInteger(), 100000);
  EXPECT_TRUE(r.ReadBoolean());
  r.ReadListBegin();
  EXPECT_TRUE(r.EndOfList());
  EXPECT_TRUE(r.EndOfList());  // looks without consuming
  r.ReadListEnd();
  EXPECT_EQ(r.Remaining(), 0);
}

TEST(DataReader, StringsInTheOldAnsiCodePageAreReadAsWindows1252) {
  // "Müller €" as written by an ANSI program: 0xFC for ü, 0x80 for the euro sign.
  const Bytes bytes = {6, 8, 'M', 0xFC, 'l', 'l', 'e', 'r', ' ', 0x80};
  platform::MemoryStream stream(bytes);
  DataReader r(stream);
  EXPECT_EQ(r.ReadString(), "M\xC3\xBCller \xE2\x82\xAC");
}

TEST(DataReader, BooleanConsumesOnlyTheTagByte) {
  const Bytes bytes = Written([](DataWriter& w) {
    w.WriteInteger(9);  // tag 2, payload 9 = the true tag
  });
  platform::MemoryStream stream(bytes);
  DataReader r(stream);
  EXPECT_FALSE(r.ReadBoolean());  // tag 2 is not true
  EXPECT_TRUE(r.ReadBoolean());   // the payload byte is read as the next item
  EXPECT_EQ(r.Position(), 2);
}

TEST(DataReader, WrongTagsAndTruncationRaiseReadErrorsWithThePosition) {
  // An integer where a string is expected.
  EXPECT_EQ(ReadError({6, 1, 'a', 2, 5}, [](DataReader& r) { r.ReadString(); r.ReadString(); }),
            "Lesefehler im Datenstrom an Position 3:\rUnerwartete Kennung 2, erwartet: Zeichenkette");
  // A string where an integer is expected, an unknown tag, list marks.
  EXPECT_NE(ReadError({6, 0}, [](DataReader& r) { r.ReadInteger(); }), "no error");
  EXPECT_NE(ReadError({7, 0}, [](DataReader& r) { r.ReadInteger(); }), "no error");
  EXPECT_NE(ReadError({0}, [](DataReader& r) { r.ReadListBegin(); }), "no error");
  EXPECT_NE(ReadError({1}, [](DataReader& r) { r.ReadListEnd(); }), "no error");
  // Past the end: an empty stream, a cut integer, a cut string, EndOfList at the end.
  EXPECT_EQ(ReadError({}, [](DataReader& r) { r.ReadInteger(); }),
            "Lesefehler im Datenstrom an Position 0:\rUnerwartetes Dateiende");
  EXPECT_NE(ReadError({4, 1, 2}, [](DataReader& r) { r.ReadInteger(); }), "no error");
  EXPECT_NE(ReadError({6, 10, 'a'}, [](DataReader& r) { r.ReadString(); }), "no error");
  EXPECT_NE(ReadError({}, [](DataReader& r) { r.EndOfList(); }), "no error");
}

TEST(DataReader, LengthsAndCountsAreNotTrustedBeyondTheEnd) {
  // A long string claiming 2 GB, and one with a negative length: no allocation, an error.
  EXPECT_EQ(ReadError({12, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}, [](DataReader& r) { r.ReadString(); }),
            "Lesefehler im Datenstrom an Position 5:\r2147483647 Bytes verlangt, aber nur 1 bis zum "
            "Ende vorhanden");
  EXPECT_EQ(ReadError({12, 0xFF, 0xFF, 0xFF, 0xFF}, [](DataReader& r) { r.ReadString(); }),
            "Lesefehler im Datenstrom an Position 0:\rUngültige Länge -1 einer Zeichenkette");
  // Raw runs and counts.
  EXPECT_NE(ReadError({1, 2, 3}, [](DataReader& r) { r.ReadRawBytes(4); }), "no error");
  EXPECT_NE(ReadError({}, [](DataReader& r) { r.ReadRawBytes(-1); }), "no error");
  EXPECT_EQ(ReadError({2, 0xFB}, [](DataReader& r) { r.ReadCount(1); }),
            "Lesefehler im Datenstrom an Position 0:\rUngültige Anzahl -5");
  EXPECT_EQ(ReadError({4, 0, 0, 0, 1, 6, 0}, [](DataReader& r) { r.ReadCount(2); }),
            "Lesefehler im Datenstrom an Position 0:\rUngültige Anzahl 16777216");
  platform::MemoryStream ok(Bytes{2, 3, 6, 0, 6, 0, 6, 0});
  DataReader r(ok);
  EXPECT_EQ(r.ReadCount(2), 3);  // exactly fits
}

TEST(DataReader, ErrorsNameTheFile) {
  TempFolder dir;
  const std::string name = dir.File("kaputt.TSS");
  WriteFileBytes(name, std::string("\x06\x05" "ab", 4));
  platform::FileStream file(name, platform::FileStream::Mode::Read);
  DataReader r(file);
  try {
    r.ReadString();
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(std::string(e.what()), "Lesefehler in der Datei \"" + name +
                                         "\" an Position 2:\r5 Bytes verlangt, aber nur 2 bis zum Ende "
                                         "vorhanden");
  }
}

TEST(DataWriter, PositionCountsBufferedBytesAndSetPositionMovesInsideTheBuffer) {
  platform::MemoryStream stream;
  DataWriter w(stream);
  w.WriteInteger(1);
  w.WriteInteger(2);
  EXPECT_EQ(w.Position(), 4);
  EXPECT_EQ(stream.Size(), 0);  // nothing left the buffer yet

  w.SetPosition(2);  // inside the buffer: the bytes after it are dropped
  w.WriteInteger(7);
  w.Flush();
  EXPECT_EQ(stream.Bytes(), (Bytes{2, 1, 2, 7}));

  // Outside the buffer: flush, then overwrite in the stream (how statuses are patched).
  w.WriteInteger(300);
  w.SetPosition(0);
  w.WriteInteger(9);
  w.Flush();
  EXPECT_EQ(stream.Bytes(), (Bytes{2, 9, 2, 7, 3, 0x2C, 0x01}));
  EXPECT_EQ(w.Position(), 2);
}

TEST(DataWriter, LargeOutputPassesThroughTheBufferIntact) {
  platform::MemoryStream stream;
  {
    DataWriter w(stream);
    for (int i = 0; i < 100000; ++i) w.WriteInteger(i);
    EXPECT_GT(stream.Size(), 0);  // the 102400-byte buffer overflowed at least once
    EXPECT_LT(stream.Size(), w.Position());
  }
  stream.Seek(0);
  DataReader r2(stream);
  for (int i = 0; i < 100000; ++i) ASSERT_EQ(r2.ReadInteger(), i);
  EXPECT_EQ(r2.Remaining(), 0);
}

TEST(DataReader, FlushGivesBackBufferedBytesAndSetPositionRereads) {
  const Bytes bytes = Written([](DataWriter& w) {
    w.WriteString("eins");
    w.WriteInteger(500);
    w.WriteString("zwei");
  });
  platform::MemoryStream stream(bytes);
  DataReader r(stream);
  EXPECT_EQ(r.ReadString(), "eins");
  EXPECT_EQ(r.Position(), 6);
  EXPECT_EQ(stream.Position(), static_cast<int64_t>(bytes.size()));  // all buffered
  r.Flush();
  EXPECT_EQ(stream.Position(), 6);
  EXPECT_EQ(r.ReadInteger(), 500);
  r.SetPosition(0);
  EXPECT_EQ(r.ReadString(), "eins");
  r.SetPosition(9);
  EXPECT_EQ(r.ReadString(), "zwei");
}

TEST(ReadNextStr, WalksACountedSequenceAndStopsAtItsEnd) {
  const Bytes bytes = Written([](DataWriter& w) {
    w.WriteString("a");
    w.WriteString("b");
    w.WriteInteger(42);
  });
  platform::MemoryStream stream(bytes);
  DataReader r(stream);
  std::string text = "alt";
  int32_t index = 0;
  EXPECT_FALSE(ReadNextStr(r, text, 2, index));
  EXPECT_EQ(text, "a");
  EXPECT_FALSE(ReadNextStr(r, text, 2, index));
  EXPECT_EQ(text, "b");
  EXPECT_EQ(index, 2);
  EXPECT_TRUE(ReadNextStr(r, text, 2, index));
  EXPECT_EQ(text, "");
  EXPECT_EQ(r.ReadInteger(), 42);  // the end consumed nothing

  std::string empty = "x";
  int32_t zero = 0;
  EXPECT_TRUE(ReadNextStr(r, empty, 0, zero));
  EXPECT_EQ(empty, "");
}

TEST(ReadNextStr, AnUnreadableNameIsReportedAndSkipped) {
  ScriptedInteraction ui;
  const Bytes bytes = Written([](DataWriter& w) {
    w.WriteString("Run");
    w.WriteInteger(5);
  });
  platform::MemoryStream stream(bytes);
  DataReader r(stream);
  std::string text;
  int32_t index = 0;
  EXPECT_FALSE(ReadNextStr(r, text, 3, index));
  EXPECT_FALSE(ReadNextStr(r, text, 3, index, "FEHLER in ReadNextStr:"));
  EXPECT_EQ(text, "Run");  // keeps the previous name
  EXPECT_EQ(index, 1);     // not counted
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "FEHLER in ReadNextStr:Run\rpos:6 Size");
  EXPECT_EQ(ui.Messages()[0].type, mtError);
}

TEST(EmbedBlock, CopiesTheBlockBehindItsLength) {
  platform::MemoryStream block;
  DataWriter blockWriter(block);
  blockWriter.WriteString("x");
  blockWriter.WriteInteger(300);

  platform::MemoryStream target;
  DataWriter w(target);
  w.WriteString("H");
  EmbedBlock(w, blockWriter, block, true);
  w.Flush();
  EXPECT_EQ(target.Bytes(), (Bytes{6, 1, 'H', 2, 6, 6, 1, 'x', 3, 0x2C, 0x01}));

  target.Seek(0);
  DataReader r2(target);
  EXPECT_EQ(r2.ReadString(), "H");
  const int32_t length = r2.ReadInteger();
  const int64_t start = r2.Position();
  EXPECT_EQ(r2.ReadString(), "x");  // offsets inside are relative to start
  r2.SetPosition(start + length);
  EXPECT_EQ(r2.Remaining(), 0);
}
