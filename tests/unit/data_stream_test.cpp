// Byte layout of the item stream, buffering and positions, and damaged input.
#include <gtest/gtest.h>

#include "support/bytes.h"
#include "support/scripted_interaction.h"

TEST(DataWriter, ItemsTakeTheirSmallestForm) {
  for (const auto& [value, bytes] : std::vector<std::pair<int32_t, Bytes>>{
           {-1, {2, 0xFF}}, {127, {2, 0x7F}}, {-128, {2, 0x80}}, {128, {3, 0x80, 0}}, {-129, {3, 0x7F, 0xFF}},
           {32767, {3, 0xFF, 0x7F}}, {-32768, {3, 0, 0x80}}, {32768, {4, 0, 0x80, 0, 0}},
           {-32769, {4, 0xFF, 0x7F, 0xFF, 0xFF}}, {INT32_MIN, {4, 0, 0, 0, 0x80}}})
    EXPECT_EQ(Written([&](DataWriter& w) { w.WriteInteger(value); }), bytes) << value;
  for (const auto& [length, head] :
       std::vector<std::pair<size_t, Bytes>>{{0, {6, 0}}, {255, {6, 255}}, {256, {12, 0, 1, 0, 0}}})
    EXPECT_EQ(Written([&](DataWriter& w) { w.WriteString(std::string(length, 'x')); }), head + Bytes(length, 'x'));
  const Bytes marks = Written([](DataWriter& w) { w.WriteListBegin(); w.WriteBoolean(true); w.WriteBoolean(false); });
  EXPECT_EQ(marks + Written([](DataWriter& w) { w.WriteListEnd(); }), (Bytes{1, 9, 8, 0}));
}

TEST(DataStream, EveryItemKindRoundTripsThroughSmallBuffers) {
  const std::string bin("\r\n\0\x7F", 4), umlauts = "Größe Übersicht", big(70000, 'z');
  platform::MemoryStream stream;
  DataWriter w(stream, kSmallReaderBufferSize);
  const auto value = [](int i) { return (i - 500) * (i % 2 ? 7919 : 1); };  // every size, both signs
  for (int i = 0; i < 1000; ++i) w.WriteInteger(value(i));  // overflows the buffer again and again
  for (const auto& s : {bin, umlauts, big}) w.WriteString(s);
  w.WriteInteger(9);  // tag 2, then 9: the true tag
  w.WriteListBegin(); w.WriteListEnd();
  w.WriteRaw("\x06\x08M\xFCller \x80", 10);  // "Müller €" as an ANSI program wrote it
  w.Flush();
  stream.Seek(0);
  DataReader r(stream, kSmallReaderBufferSize);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(r.ReadInteger(), value(i));
  const int64_t strings = r.Position();
  EXPECT_GT(stream.Position(), strings);  // read ahead into the buffer
  r.Flush();
  EXPECT_EQ(stream.Position(), strings);  // the unread bytes went back
  for (const auto& s : {bin, umlauts, big}) EXPECT_EQ(r.ReadString(), s);
  EXPECT_TRUE(!r.ReadBoolean() && r.ReadBoolean());  // takes one byte of any item: 2, then 9
  r.ReadListBegin();
  EXPECT_TRUE(r.EndOfList() && r.EndOfList()); r.ReadListEnd();  // looks without consuming
  EXPECT_EQ(r.ReadString(), "M\xC3\xBCller \xE2\x82\xAC");
  EXPECT_EQ(r.Remaining(), 0);
}

TEST(DataReader, DamagedInputRaisesReadErrorsWithThePosition) {
  const std::string at = "Lesefehler im Datenstrom an Position ", need = " Bytes verlangt, aber nur ";
  const std::string end = " bis zum Ende vorhanden", tag = ":\rUnerwartete Kennung ";
  const auto str = +[](DataReader& r) { r.ReadString(); };
  const auto num = +[](DataReader& r) { r.ReadInteger(); };
  for (const auto& [bytes, read, error] : std::vector<std::tuple<Bytes, void (*)(DataReader&), std::string>>{
           {{6, 1, 'a', 2, 5}, [](DataReader& r) { r.ReadString(); r.ReadString(); },
            at + "3" + tag + "2, erwartet: Zeichenkette"},
           {{6, 0}, num, at + "0" + tag + "6, erwartet: Zahl"},
           {{0}, [](DataReader& r) { r.ReadListBegin(); }, at + "0" + tag + "0, erwartet: Listenanfang"},
           {{1}, [](DataReader& r) { r.ReadListEnd(); }, at + "0" + tag + "1, erwartet: Listenende"},
           {{}, num, at + "0:\rUnerwartetes Dateiende"},
           {{}, [](DataReader& r) { r.EndOfList(); }, at + "0:\rUnerwartetes Dateiende"},
           {{4, 1, 2}, num, at + "1:\r4" + need + "2" + end},
           {{6, 10, 'a'}, str, at + "2:\r10" + need + "1" + end},
           // Lengths and counts from the file are checked before anything is allocated.
           {{12, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}, str, at + "5:\r2147483647" + need + "1" + end},
           {{12, 0xFF, 0xFF, 0xFF, 0xFF}, str, at + "0:\rUngültige Länge -1 einer Zeichenkette"},
           {{}, [](DataReader& r) { r.ReadRawBytes(-1); }, at + "0:\rUngültige Länge -1 eines Datenblocks"},
           {{}, [](DataReader& r) { Bytes b; r.ReadRawInto(b, 1 << 30); }, at + "0:\r1073741824" + need + "0" + end},
           {{2, 0xFB}, [](DataReader& r) { r.ReadCount(1); }, at + "0:\rUngültige Anzahl -5"},
           {{2, 3, 6, 0, 6, 0}, [](DataReader& r) { r.ReadCount(2); }, at + "0:\rUngültige Anzahl 3"},
           {{2, 3, 6, 0, 6, 0, 6, 0}, [](DataReader& r) { EXPECT_EQ(r.ReadCount(2), 3); }, "no error"}}) {
    platform::MemoryStream stream(bytes);
    DataReader r(stream);
    EXPECT_EQ(Caught<EReadError>([&, read = read] { read(r); }), error);
  }
}

TEST(DataWriter, SetPositionMovesInsideTheBufferAndFlushWritesWhereTheWriterIs) {
  platform::MemoryStream stream;
  DataWriter w(stream);
  for (int v : {1, 2, 3}) w.WriteInteger(v);
  EXPECT_TRUE(w.Position() == 6 && stream.Size() == 0);  // still buffered
  w.SetPosition(2);  // inside the buffer: the bytes after it are dropped
  w.WriteInteger(7); w.Flush();
  EXPECT_EQ(stream.Bytes(), (Bytes{2, 1, 2, 7}));
  w.WriteInteger(300); w.SetPosition(0);  // outside: flushes, then overwrites in the stream (statuses are patched so)
  w.WriteInteger(9); stream.Seek(1); w.Flush();  // at its own position, though a reader moved the stream
  EXPECT_EQ(stream.Bytes(), (Bytes{2, 9, 2, 7, 3, 0x2C, 0x01}));
  EXPECT_EQ(w.Position(), 2);
}

TEST(ReadNextStr, WalksACountedSequenceAndReportsAnUnreadableName) {
  ScriptedInteraction ui;
  platform::MemoryStream stream(Str("Run") + Bytes{2, 5});
  DataReader r(stream);
  std::string text; int32_t index = 0;
  EXPECT_FALSE(ReadNextStr(r, text, 3, index) || ReadNextStr(r, text, 3, index, "FEHLER in ReadNextStr:"));
  EXPECT_EQ(std::make_pair(text, index), std::make_pair(std::string("Run"), 1));  // kept, not counted
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"FEHLER in ReadNextStr:Run\rpos:6 Size"});
  EXPECT_EQ(ui.Messages()[0].type, mtError);
  EXPECT_TRUE(ReadNextStr(r, text, 1, index) && text.empty() && r.Position() == 6);  // the end reads nothing
}

TEST(EmbedBlock, CopiesTheBlockWithOrWithoutItsLength) {
  platform::MemoryStream block, target;
  DataWriter blockWriter(block), w(target);
  blockWriter.WriteString("x"); blockWriter.WriteInteger(300);  // still buffered
  EmbedBlock(w, blockWriter, block, true); EmbedBlock(w, blockWriter, block, false); w.Flush();
  EXPECT_EQ(target.Bytes(), Bytes({2, 6}) + Str("x") + Bytes({3, 0x2C, 1}) + Str("x") + Bytes({3, 0x2C, 1}));
}
