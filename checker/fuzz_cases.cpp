#include "checker/fuzz_cases.h"

namespace {

// A small generator whose sequence is the same on every platform (splitmix32).
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    uint32_t z = (state_ += 0x9E3779B9u);
    z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
    z = (z ^ (z >> 13)) * 0xC2B2AE35u;
    return z ^ (z >> 16);
  }
  // 0 to n - 1; n above 0.
  size_t Below(size_t n) { return Next() % n; }
  bool OneIn(size_t n) { return Below(n) == 0; }

 private:
  uint32_t state_;
};

// Bytes that list parsers trip over: separators, line ends, a zero, Shift-JIS lead and trail
// bytes, digits, the hyphen and letters of keys.
char InterestingByte(Random& random) {
  static const char kBytes[] = "\t\n\r ,;=-0123456789ABCDEFabcdef.\x81\x82\x83\x9F\xE0\xEF\xFC\x40\x7F\x80\xA0\xFF";
  if (random.OneIn(12)) return '\0';
  if (random.OneIn(4)) return static_cast<char>(random.Next());
  return kBytes[random.Below(sizeof kBytes - 1)];
}

std::string RandomText(Random& random, size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += InterestingByte(random);
  return text;
}

// A few lines in the shape of a tab-separated list, when none was given to mutate.
std::string MadeUpList(Random& random) {
  std::string list = "crc16\tcrc32\tbody\tfile\ttitle\tyear\tsaledate\n";
  const size_t rows = 1 + random.Below(6);
  for (size_t i = 0; i < rows; ++i) {
    list += RandomText(random, random.Below(6)) + "\t" + RandomText(random, random.Below(10)) + "\t" +
            RandomText(random, random.Below(12)) + "\t" + RandomText(random, random.Below(16)) + "\n";
  }
  return list;
}

void MutateList(Random& random, std::string& list, const std::string& key) {
  const size_t rounds = 1 + random.Below(6);
  for (size_t round = 0; round < rounds; ++round) {
    const size_t at = list.empty() ? 0 : random.Below(list.size() + 1);
    switch (random.Below(8)) {
      case 0:  // change a byte
        if (!list.empty()) list[random.Below(list.size())] = InterestingByte(random);
        break;
      case 1:  // insert a few bytes
        list.insert(at, RandomText(random, 1 + random.Below(8)));
        break;
      case 2:  // cut the rest
        list.resize(at);
        break;
      case 3:  // remove a run
        list.erase(at, random.Below(64));
        break;
      case 4:  // repeat a run
        list.insert(at, list.substr(at, random.Below(128)));
        break;
      case 5:  // the key where the plugin may find it
        list.insert(at, (random.OneIn(2) ? "\n" : "\t") + key + "\t");
        break;
      case 6:  // one very long field
        list.insert(at, std::string(256 + random.Below(8192), random.OneIn(2) ? 'A' : '\x82'));
        break;
      default:  // a line end of the other kind
        list.insert(at, random.OneIn(2) ? "\r\n" : "\r");
        break;
    }
  }
}

std::string MutateKey(Random& random, const std::string& baseKey) {
  switch (random.Below(7)) {
    case 0: return std::string();
    case 1: return RandomText(random, 1 + random.Below(16));
    case 2: return std::string(250 + random.Below(40), 'K');  // around the 259-byte limit
    case 3: return baseKey + "\x82";                          // a lead byte without its trail
    case 4: {
      std::string key = baseKey;
      if (!key.empty()) key[random.Below(key.size())] = InterestingByte(random);
      return key;
    }
    default: return baseKey;
  }
}

std::string RequestedLength(Random& random) {
  static const char* const kLengths[] = {"1", "2", "3", "4", "8", "16", "255", "256", "65535",
                                         "65536", "70000", "0", "-5", "abc", "&H10", "12.9"};
  if (random.OneIn(2)) return std::string();
  if (random.OneIn(3)) return std::to_string(1 + random.Below(300));
  return kLengths[random.Below(sizeof kLengths / sizeof kLengths[0])];
}

}  // namespace

FuzzCase MakeFuzzCase(uint32_t seed, const std::vector<int>& requests,
                      const std::vector<std::optional<KeyType>>& keyTypes,
                      const std::string& baseList,
                      const std::string& baseKey) {
  Random random(seed);
  FuzzCase c;
  if (!requests.empty()) c.request = requests[random.Below(requests.size())];
  const std::string key = baseKey.empty() ? RandomText(random, 1 + random.Below(12)) : baseKey;
  c.listData = baseList.empty() ? MadeUpList(random) : baseList;
  MutateList(random, c.listData, key);
  c.key = MutateKey(random, key);
  static const std::vector<std::optional<KeyType>> kEveryKeyType = {
      KeyType::Crc16, KeyType::Crc32, KeyType::Body, KeyType::BodyExt, std::nullopt};
  const std::vector<std::optional<KeyType>>& types = keyTypes.empty() ? kEveryKeyType : keyTypes;
  c.keyType = types[random.Below(types.size())];
  c.requestedLength = RequestedLength(random);
  return c;
}
