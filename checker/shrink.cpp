#include "checker/shrink.h"

namespace {

class Shrinker {
 public:
  Shrinker(const ShrinkInput& failing, const StillFails& stillFails, size_t maxTries)
      : best_(failing), stillFails_(stillFails), maxTries_(maxTries) {}

  ShrinkResult Run() {
    ShrinkPart(&ShrinkInput::listData);
    // A shorter key may let more of the list go, and the other way round.
    while (ShrinkPart(&ShrinkInput::key) && ShrinkPart(&ShrinkInput::listData)) {
    }
    return ShrinkResult{best_, tries_};
  }

 private:
  // One pass over one part: runs of half its length, a quarter, … one byte. True when it shrank.
  bool ShrinkPart(std::string ShrinkInput::*part) {
    bool shrank = false;
    for (size_t run = (best_.*part).size() / 2; run >= 1 && tries_ < maxTries_; run /= 2) {
      size_t at = 0;
      while (at < (best_.*part).size() && tries_ < maxTries_) {
        ShrinkInput candidate = best_;
        (candidate.*part).erase(at, run);
        ++tries_;
        if (stillFails_(candidate)) {
          best_ = std::move(candidate);  // the same place now holds the bytes after the run
          shrank = true;
        } else {
          at += run;
        }
      }
      if (run == 1) break;
    }
    // A part of one byte is halved to nothing: try it empty.
    if ((best_.*part).size() == 1 && tries_ < maxTries_) {
      ShrinkInput candidate = best_;
      (candidate.*part).clear();
      ++tries_;
      if (stillFails_(candidate)) {
        best_ = std::move(candidate);
        shrank = true;
      }
    }
    return shrank;
  }

  ShrinkInput best_;
  const StillFails& stillFails_;
  size_t maxTries_;
  size_t tries_ = 0;
};

}  // namespace

ShrinkResult Shrink(const ShrinkInput& failing, const StillFails& stillFails, size_t maxTries) {
  return Shrinker(failing, stillFails, maxTries).Run();
}
