// The frames between the checker and its worker: every kind of event and a case arrive as sent,
// a frame is taken only when all of it is there, and what no sender writes is refused.
#include <gtest/gtest.h>

#include "checker/worker_wire.h"

namespace {

std::vector<RunEvent> OneOfEachEvent() {
  CallFault fault;
  fault.kind = CallFault::Kind::Exception;
  fault.record.code = 0xC0000005;
  fault.record.address = 0x10001234;
  fault.record.hasAccess = true;
  fault.record.access = 1;
  fault.record.target = 0x20000000;
  fault.record.region = FaultRegion::BufferEnd;
  fault.place = "faulty.dll+0x1234";
  CallFault lost;
  lost.kind = CallFault::Kind::ProcessLost;
  lost.exitCode = 0xC0000409;
  ConventionBreach breach;
  breach.kind = ConventionBreach::Kind::ParameterBytes;
  breach.stackDrift = -4;
  return {RequestLabel{3},
          RunStopped{RunStop::NoRoomForBuffer},
          CallStarted{3, 0},
          CallReturned{3, 0, 12},
          ConventionBroken{3, breach},
          CallAbandoned{3, fault},
          CallAbandoned{4, lost},
          StatusAnswered{-768},
          SizeRequired{12},
          LengthRequested{65535},
          BufferChecked{BufferFinding::VariableReplaced},
          SaleDateMisformed{DateForm::FullDate},
          ReturnedText{std::string("\x90\xAF\x00z", 4)},
          NumberAnswer{-1.25}};
}

TEST(WorkerWire, EventsAndCasesArriveAsSent) {
  const std::vector<RunEvent> sent = OneOfEachEvent();
  std::string stream;
  AppendEventsFrame(sent, true, stream);
  RequestInputs inputs;
  inputs.request = 15;
  inputs.listPath = "C:\\\xE8\xA1\xA8\\list.txt";
  inputs.key = "\x95\x5C";
  inputs.keyType = std::nullopt;
  inputs.requestedLength = "12";
  AppendCaseFrame(inputs, "GetSaleDate key=k", stream);

  std::string payload;
  ASSERT_EQ(TakeFrame(stream, payload), FrameState::Whole);
  std::vector<RunEvent> got;
  bool done = false;
  ASSERT_TRUE(ReadEventsFrame(payload, got, done));
  EXPECT_TRUE(done);
  ASSERT_EQ(got.size(), sent.size());
  std::string again;
  AppendEventsFrame(got, true, again);
  EXPECT_EQ(again.substr(4), payload);
  const CallFault& fault = std::get<CallAbandoned>(got[5]).fault;
  EXPECT_EQ(fault.record.region, FaultRegion::BufferEnd);
  EXPECT_EQ(fault.place, "faulty.dll+0x1234");
  EXPECT_EQ(std::get<CallAbandoned>(got[6]).fault.exitCode, 0xC0000409u);
  EXPECT_EQ(std::get<ReturnedText>(got[12]).text.size(), 4u);
  EXPECT_EQ(std::get<NumberAnswer>(got[13]).value, -1.25);

  ASSERT_EQ(TakeFrame(stream, payload), FrameState::Whole);
  RequestInputs read;
  std::string what;
  ASSERT_TRUE(ReadCaseFrame(payload, read, what));
  EXPECT_EQ(read.request, 15);
  EXPECT_EQ(read.listPath, inputs.listPath);
  EXPECT_EQ(read.key, inputs.key);
  EXPECT_FALSE(read.keyType.has_value());
  EXPECT_EQ(read.requestedLength, "12");
  EXPECT_EQ(what, "GetSaleDate key=k");
  EXPECT_TRUE(stream.empty());
}

TEST(WorkerWire, AFrameIsTakenOnlyWhenWhole) {
  std::string whole;
  AppendEventsFrame({CallStarted{1, 0}}, false, whole);
  AppendEventsFrame({CallReturned{1, 0, 5}}, true, whole);
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    std::string stream = whole.substr(0, cut);
    std::string payload;
    size_t frames = 0;
    while (TakeFrame(stream, payload) == FrameState::Whole) ++frames;
    stream += whole.substr(cut);
    while (TakeFrame(stream, payload) == FrameState::Whole) ++frames;
    EXPECT_EQ(frames, 2u) << cut;
    EXPECT_TRUE(stream.empty()) << cut;
  }
}

TEST(WorkerWire, RefusesWhatNoSenderWrites) {
  std::string stream("\0\0\0\0", 4);
  std::string payload;
  EXPECT_EQ(TakeFrame(stream, payload), FrameState::Malformed);
  stream = std::string("\xFF\xFF\xFF\x7F", 4);
  EXPECT_EQ(TakeFrame(stream, payload), FrameState::Malformed);

  std::string frame;
  AppendEventsFrame({RequestLabel{23}, BufferChecked{BufferFinding::TextNotTerminated}}, true, frame);
  std::vector<RunEvent> events;
  bool done;
  const std::string good = frame.substr(4);
  ASSERT_TRUE(ReadEventsFrame(good, events, done));
  std::string badIndex = good;
  badIndex[7] = 24;  // past the last export
  EXPECT_FALSE(ReadEventsFrame(badIndex, events, done));
  std::string badFinding = good;
  badFinding.back() = 3;  // no such finding
  EXPECT_FALSE(ReadEventsFrame(badFinding, events, done));
  EXPECT_FALSE(ReadEventsFrame(good + "x", events, done));
  EXPECT_FALSE(ReadEventsFrame(good.substr(0, good.size() - 1), events, done));
  RequestInputs inputs;
  std::string what;
  EXPECT_FALSE(ReadCaseFrame(good, inputs, what));
}

}  // namespace
