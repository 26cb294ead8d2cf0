#include "request/report_lines.h"

#include "text/number_text.h"

namespace {

// The label of each request, in export order.
const char* const kRequestLabels[kExportCount] = {
    "[プラグインバージョン]", "[プラグイン作者]", "[プラグイン情報]", "[タイトル]",
    "[メーカー]",             "[国]",             "[バージョン]",     "[ジャンル]",
    "[発売年]",               "[イメージ番号]",   "[R指定]",          "[クリエイター]",
    "[メモ]",                 "[読み仮名]",       "[開発元]",         "[発売年月日]",
    "[型番]",                 "[価格]",           "[メディア情報]",   "[対応機器]",
    "[プレイヤー数]",         "[セーブデータ情報]", "[サウンド情報]", "[拡張R指定]",
};

const char* StopLine(RunStop reason) {
  switch (reason) {
    case RunStop::ListDataFileNotOpened: return "リストデータファイルが開けませんでした";
    case RunStop::ListDataFileSizeUnknown:
      return "エラー：リストデータファイルのサイズを取得できませんでした";
    case RunStop::ListDataFileTooLarge: return "エラー：リストデータファイルが大きすぎて読み込めません";
    case RunStop::NoRoomForListData:
      return "エラー：リストデータを読み込むメモリを確保できませんでした";
    case RunStop::NoRoomForKey: return "エラー：テストキーを置くメモリを確保できませんでした";
    case RunStop::NoRoomForBuffer: return "エラー：結果バッファを確保できませんでした";
  }
  return "";
}

const char* StatusLine(int16_t code) {
  switch (code) {
    case QB2LPT_BUFFER_SIZE_ZERO: return "警告：バッファサイズが 0 です";
    case QB2LPT_LIST_NOT_OPEN: return "エラー：リストファイルが開けない";
    case QB2LPT_KEY_NOT_FOUND: return "エラー：リストファイル中に指定されたキーが無い";
    case QB2LPT_LIST_UNUSABLE: return "エラー：利用できないリストっぽい";
    case QB2LPT_ITEM_ABSENT: return "エラー：正しく取得したが該当データは不在だった";
    case QB2LPT_NOT_A_NUMBER: return "エラー：正しく取得したが数値ではなかった";
    default: return "";
  }
}

const char* FindingLine(BufferFinding finding) {
  switch (finding) {
    case BufferFinding::TextNotTerminated:
      return "警告：プラグインが返したテキストがバッファ内で終わっていません";
    case BufferFinding::TextLongerThanAsked:
      return "警告：プラグインが返したテキストが必要バイト数より長くなっています";
    case BufferFinding::VariableReplaced: return "警告：プラグインがバッファのアドレスを書き換えました";
  }
  return "";
}

const char* DateFormLine(DateForm expected) {
  return expected == DateForm::YearMonth ? "[警告]YYYY-mm形式じゃないみたい"
                                         : "[警告]YYYY-mm-dd形式じゃないみたい";
}

std::string LoadFaultLine(const char* during, const LoadFault& fault) {
  return std::string("エラー：DLL の") + during + "中に" + DescribeFault(fault.record, fault.place);
}

const char* ExportName(int exportIndex) { return kExports[exportIndex].name; }

struct RunLine {
  std::string operator()(const RequestLabel& e) const { return kRequestLabels[e.exportIndex]; }
  std::string operator()(const RunStopped& e) const { return StopLine(e.reason); }
  std::string operator()(const CallStarted&) const { return {}; }
  std::string operator()(const CallReturned&) const { return {}; }
  std::string operator()(const ConventionBroken& e) const {
    return "エラー：呼び出し規約違反：" + DescribeBreach(e.breach, ExportName(e.exportIndex));
  }
  std::string operator()(const CallAbandoned& e) const {
    return "エラー：プラグインの呼び出し中に" + DescribeCallFault(e.fault, ExportName(e.exportIndex));
  }
  std::string operator()(const StatusAnswered& e) const { return StatusLine(e.code); }
  std::string operator()(const SizeRequired& e) const {
    return "必要バイト数 : " + NumberToText(e.size);
  }
  std::string operator()(const LengthRequested& e) const {
    return "バイト数 : " + NumberToText(e.length) + " でリクエストしてみるテスト";
  }
  std::string operator()(const BufferChecked& e) const { return FindingLine(e.finding); }
  std::string operator()(const SaleDateMisformed& e) const { return DateFormLine(e.expected); }
  std::string operator()(const ReturnedText& e) const { return e.text; }
  std::string operator()(const NumberAnswer& e) const { return NumberToText(e.value); }
};

struct LoadLine {
  std::string operator()(const PluginReleased&) const { return "DLL解放"; }
  std::string operator()(const ReleaseFaulted& e) const { return LoadFaultLine("解放", *e.fault); }
  std::string operator()(const LibraryLoaded& e) const {
    return e.loaded ? "DLLロード -> OK" : "DLLロード -> NG";
  }
  std::string operator()(const StartupFaulted& e) const { return LoadFaultLine("初期化", *e.fault); }
  std::string operator()(const ExportResolved& e) const {
    return std::string("...") + ExportName(e.exportIndex) + (e.present ? " -> OK" : " -> NG");
  }
};

}  // namespace

std::string ReportLine(const RunEvent& event) { return std::visit(RunLine{}, event); }

std::string ReportLine(const LoadEvent& event) { return std::visit(LoadLine{}, event); }
