// A first session with the bench, played as a user would play it: load the sample plugin, choose
// the sample list, and run a few requests. scripts/run.sh plays it when there is no display, takes
// a screenshot of the window while the bench is still open, and then lets it close.
//
//   demo_session.exe START_FOLDER READY_FILE DONE_FILE
//
// START_FOLDER holds sample.dll and sample-list.txt. Once every request has run, READY_FILE is
// created; the bench is closed when DONE_FILE appears (or after two minutes).
#include <windows.h>

#include <cstdio>
#include <string>

#include "drive/bench_driver.h"

namespace {

struct Step {
  int keyType;
  const char* key;
  const char* request;
  const char* requestedLength;
};

// One request of each kind, from the sample list's rows (see examples/README.md).
const Step kSteps[] = {
    {0, "1A2B", "GetTitle", ""},
    {1, "0xbadf00d", "GetMaker", ""},
    {2, "アクア", "GetSaleDate", ""},
    {0, "9ABC", "GetSaleDate", ""},
    {3, "kazu.zip", "GetYear", ""},
    {0, "1A2B", "GetTitle", "5"},
};

bool RunStep(e2e::BenchProcess& bench, const Step& step) {
  return bench.SelectIndex(KeyTypeCombo, step.keyType) && bench.SetText(TestKeyEdit, step.key) &&
         bench.SetText(ReqLenEdit, step.requestedLength) &&
         bench.SelectText(RequestCombo, step.request) && bench.Click(RunButton);
}

bool Fail(const char* what) {
  std::fprintf(stderr, "demo session: %s\n", what);
  return false;
}

bool Play(e2e::BenchProcess& bench, const std::string& folder) {
  if (!bench.Start(folder)) return Fail("the bench did not start");
  if (!bench.ClickThroughFileDialog(LoadButton, "sample.dll").actionEnded) {
    return Fail("loading sample.dll did not finish");
  }
  if (!bench.ClickThroughFileDialog(BrowseButton, "sample-list.txt").actionEnded) {
    return Fail("choosing sample-list.txt did not finish");
  }
  for (const Step& step : kSteps) {
    if (!RunStep(bench, step)) return Fail("a request did not finish");
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: demo_session START_FOLDER READY_FILE DONE_FILE\n");
    return 2;
  }
  e2e::BenchProcess bench;
  const bool played = Play(bench, argv[1]);
  e2e::WriteFileBytes(argv[2], played ? "ok\n" : "failed\n");
  for (int waited = 0; waited < 120000 && !e2e::FileExists(argv[3]); waited += 200) Sleep(200);
  const DWORD exitCode = bench.Close();
  return played && exitCode == 0 ? 0 : 1;
}
