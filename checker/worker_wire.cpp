#include "checker/worker_wire.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char kCaseTag = 'C';
constexpr char kEventsTag = 'E';
// Far beyond any run's events; a longer length is a broken stream.
constexpr uint32_t kMaxPayload = 64u << 20;

class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}
  void U8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U64(uint64_t v) {
    U32(static_cast<uint32_t>(v));
    U32(static_cast<uint32_t>(v >> 32));
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void Text(const std::string& text) {
    U32(static_cast<uint32_t>(text.size()));
    out_ += text;
  }

 private:
  std::string& out_;
};

class Reader {
 public:
  explicit Reader(const std::string& in) : in_(in) {}
  bool U8(uint8_t& v) {
    if (at_ >= in_.size()) return false;
    v = static_cast<uint8_t>(in_[at_++]);
    return true;
  }
  bool U32(uint32_t& v) {
    v = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t byte;
      if (!U8(byte)) return false;
      v |= static_cast<uint32_t>(byte) << (8 * i);
    }
    return true;
  }
  bool U64(uint64_t& v) {
    uint32_t low, high;
    if (!U32(low) || !U32(high)) return false;
    v = low | (static_cast<uint64_t>(high) << 32);
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u;
    if (!U32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  bool I16(int16_t& v) {
    int32_t wide;
    if (!I32(wide) || wide < INT16_MIN || wide > INT16_MAX) return false;
    v = static_cast<int16_t>(wide);
    return true;
  }
  bool Bool(bool& v) {
    uint8_t byte;
    if (!U8(byte) || byte > 1) return false;
    v = byte == 1;
    return true;
  }
  bool Address(uintptr_t& v) {
    uint64_t wide;
    if (!U64(wide) || wide > UINTPTR_MAX) return false;
    v = static_cast<uintptr_t>(wide);
    return true;
  }
  // An enumeration's value, below `count`.
  template <typename Enum>
  bool Choice(Enum& v, uint8_t count) {
    uint8_t byte;
    if (!U8(byte) || byte >= count) return false;
    v = static_cast<Enum>(byte);
    return true;
  }
  bool ExportIndex(int& v) {
    int32_t index;
    if (!I32(index) || index < 0 || index >= kExportCount) return false;
    v = index;
    return true;
  }
  bool Text(std::string& text) {
    uint32_t size;
    if (!U32(size) || size > in_.size() - at_) return false;
    text.assign(in_, at_, size);
    at_ += size;
    return true;
  }
  bool AtEnd() const { return at_ == in_.size(); }

 private:
  const std::string& in_;
  size_t at_ = 0;
};

void WriteKeyType(Writer& w, const std::optional<KeyType>& keyType) {
  w.U8(keyType ? 1 : 0);
  if (keyType) w.I32(static_cast<int16_t>(*keyType));
}

bool ReadKeyType(Reader& r, std::optional<KeyType>& keyType) {
  bool present;
  if (!r.Bool(present)) return false;
  keyType.reset();
  if (!present) return true;
  int16_t code;
  if (!r.I16(code)) return false;
  for (KeyType known : {KeyType::Crc16, KeyType::Crc32, KeyType::Body, KeyType::BodyExt}) {
    if (static_cast<int16_t>(known) == code) keyType = known;
  }
  return keyType.has_value();
}

void WriteFault(Writer& w, const CallFault& fault) {
  w.U8(static_cast<uint8_t>(fault.kind));
  const FaultRecord& record = fault.record;
  w.U32(record.code);
  w.U64(record.address);
  w.U64(record.callSite);
  w.U8(record.hasAccess ? 1 : 0);
  w.U32(record.access);
  w.U64(record.target);
  w.U8(record.region ? static_cast<uint8_t>(*record.region) + 1 : 0);
  w.Text(fault.place);
  w.Text(fault.processEndRequest);
  w.U32(fault.allowedMs);
  w.U32(fault.exitCode);
}

bool ReadFault(Reader& r, CallFault& fault) {
  FaultRecord& record = fault.record;
  uint8_t region;
  if (!r.Choice(fault.kind, 5) || !r.U32(record.code) || !r.Address(record.address) ||
      !r.Address(record.callSite) || !r.Bool(record.hasAccess) || !r.U32(record.access) ||
      !r.Address(record.target) || !r.U8(region) || region > 3) {
    return false;
  }
  if (region > 0) record.region = static_cast<FaultRegion>(region - 1);
  return r.Text(fault.place) && r.Text(fault.processEndRequest) && r.U32(fault.allowedMs) &&
         r.U32(fault.exitCode);
}

// Each event as its variant index and its fields.
struct EventWriter {
  Writer& w;
  void operator()(const RequestLabel& e) { w.I32(e.exportIndex); }
  void operator()(const RunStopped& e) { w.U8(static_cast<uint8_t>(e.reason)); }
  void operator()(const CallStarted& e) {
    w.I32(e.exportIndex);
    w.I32(e.bufferSize);
  }
  void operator()(const CallReturned& e) {
    w.I32(e.exportIndex);
    w.I32(e.bufferSize);
    w.I32(e.result);
  }
  void operator()(const ConventionBroken& e) {
    w.I32(e.exportIndex);
    w.U8(static_cast<uint8_t>(e.breach.kind));
    w.I32(e.breach.stackDrift);
    w.U8(e.breach.unsavedRegisters);
  }
  void operator()(const CallAbandoned& e) {
    w.I32(e.exportIndex);
    WriteFault(w, e.fault);
  }
  void operator()(const StatusAnswered& e) { w.I32(e.code); }
  void operator()(const SizeRequired& e) { w.I32(e.size); }
  void operator()(const LengthRequested& e) { w.I32(e.length); }
  void operator()(const BufferChecked& e) { w.U8(static_cast<uint8_t>(e.finding)); }
  void operator()(const SaleDateMisformed& e) { w.U8(static_cast<uint8_t>(e.expected)); }
  void operator()(const ReturnedText& e) { w.Text(e.text); }
  void operator()(const NumberAnswer& e) {
    uint64_t bits;
    std::memcpy(&bits, &e.value, sizeof bits);
    w.U64(bits);
  }
};

bool ReadEvent(Reader& r, RunEvent& event) {
  uint8_t index;
  if (!r.U8(index)) return false;
  switch (index) {
    case 0: {
      RequestLabel e;
      if (!r.ExportIndex(e.exportIndex)) return false;
      event = e;
      return true;
    }
    case 1: {
      RunStopped e;
      if (!r.Choice(e.reason, 6)) return false;
      event = e;
      return true;
    }
    case 2: {
      CallStarted e;
      if (!r.ExportIndex(e.exportIndex) || !r.I32(e.bufferSize)) return false;
      event = e;
      return true;
    }
    case 3: {
      CallReturned e;
      if (!r.ExportIndex(e.exportIndex) || !r.I32(e.bufferSize) || !r.I16(e.result)) return false;
      event = e;
      return true;
    }
    case 4: {
      ConventionBroken e;
      if (!r.ExportIndex(e.exportIndex) || !r.Choice(e.breach.kind, 3) ||
          !r.I32(e.breach.stackDrift) || !r.U8(e.breach.unsavedRegisters)) {
        return false;
      }
      event = e;
      return true;
    }
    case 5: {
      CallAbandoned e;
      if (!r.ExportIndex(e.exportIndex) || !ReadFault(r, e.fault)) return false;
      event = e;
      return true;
    }
    case 6: {
      StatusAnswered e;
      if (!r.I16(e.code)) return false;
      event = e;
      return true;
    }
    case 7: {
      SizeRequired e;
      if (!r.I16(e.size)) return false;
      event = e;
      return true;
    }
    case 8: {
      LengthRequested e;
      if (!r.I32(e.length)) return false;
      event = e;
      return true;
    }
    case 9: {
      BufferChecked e;
      if (!r.Choice(e.finding, 3)) return false;
      event = e;
      return true;
    }
    case 10: {
      SaleDateMisformed e;
      if (!r.Choice(e.expected, 2)) return false;
      event = e;
      return true;
    }
    case 11: {
      ReturnedText e;
      if (!r.Text(e.text)) return false;
      event = e;
      return true;
    }
    case 12: {
      uint64_t bits;
      if (!r.U64(bits)) return false;
      NumberAnswer e;
      std::memcpy(&e.value, &bits, sizeof bits);
      event = e;
      return true;
    }
  }
  return false;
}

static_assert(std::variant_size_v<RunEvent> == 13, "every event kind has its case in ReadEvent");

// Writes the payload that `fill` writes after the tag, as a frame.
template <typename Fill>
void AppendFrame(std::string& out, char tag, Fill fill) {
  std::string payload(1, tag);
  Writer w(payload);
  fill(w);
  Writer(out).Text(payload);
}

}  // namespace

void AppendCaseFrame(const RequestInputs& inputs, const std::string& what, std::string& out) {
  AppendFrame(out, kCaseTag, [&](Writer& w) {
    w.I32(inputs.request);
    w.Text(inputs.listPath);
    w.Text(inputs.key);
    WriteKeyType(w, inputs.keyType);
    w.Text(inputs.requestedLength);
    w.Text(what);
  });
}

void AppendEventsFrame(const std::vector<RunEvent>& events, bool runDone, std::string& out) {
  AppendFrame(out, kEventsTag, [&](Writer& w) {
    w.U8(runDone ? 1 : 0);
    w.U32(static_cast<uint32_t>(events.size()));
    for (const RunEvent& event : events) {
      w.U8(static_cast<uint8_t>(event.index()));
      std::visit(EventWriter{w}, event);
    }
  });
}

FrameState TakeFrame(std::string& stream, std::string& payload) {
  Reader r(stream);
  uint32_t size;
  if (!r.U32(size)) return FrameState::Partial;
  if (size == 0 || size > kMaxPayload) return FrameState::Malformed;
  if (stream.size() - 4 < size) return FrameState::Partial;
  payload.assign(stream, 4, size);
  stream.erase(0, 4 + static_cast<size_t>(size));
  return FrameState::Whole;
}

bool ReadCaseFrame(const std::string& payload, RequestInputs& inputs, std::string& what) {
  Reader r(payload);
  uint8_t tag;
  if (!r.U8(tag) || tag != kCaseTag) return false;
  int32_t request;
  if (!r.I32(request) || request < -1 || request >= kExportCount) return false;
  inputs.request = request;
  return r.Text(inputs.listPath) && r.Text(inputs.key) && ReadKeyType(r, inputs.keyType) &&
         r.Text(inputs.requestedLength) && r.Text(what) && r.AtEnd();
}

bool ReadEventsFrame(const std::string& payload, std::vector<RunEvent>& events, bool& runDone) {
  Reader r(payload);
  uint8_t tag;
  uint32_t count;
  if (!r.U8(tag) || tag != kEventsTag || !r.Bool(runDone) || !r.U32(count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    RunEvent event;
    if (!ReadEvent(r, event)) return false;
    events.push_back(std::move(event));
  }
  return r.AtEnd();
}
