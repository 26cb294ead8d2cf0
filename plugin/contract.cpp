#include "plugin/contract.h"

#include <cstring>

const ExportInfo kExports[kExportCount] = {
    {"GetPluginVersion", CallPattern::Version, "[プラグインバージョン]"},
    {"GetPluginAuthor", CallPattern::PluginText, "[プラグイン作者]"},
    {"GetPluginInfo", CallPattern::PluginText, "[プラグイン情報]"},
    {"GetTitle", CallPattern::SizedText, "[タイトル]"},
    {"GetMaker", CallPattern::SizedText, "[メーカー]"},
    {"GetCountry", CallPattern::SizedText, "[国]"},
    {"GetVersion", CallPattern::SizedText, "[バージョン]"},
    {"GetGenre", CallPattern::SizedText, "[ジャンル]"},
    {"GetYear", CallPattern::Numeric, "[発売年]"},
    {"GetImgNum", CallPattern::Numeric, "[イメージ番号]"},
    {"GetR", CallPattern::Numeric, "[R指定]"},
    {"GetCreator", CallPattern::SizedText, "[クリエイター]"},
    {"GetMemo", CallPattern::SizedText, "[メモ]"},
    {"GetKana", CallPattern::SizedText, "[読み仮名]"},
    {"GetDeveloper", CallPattern::SizedText, "[開発元]"},
    {"GetSaleDate", CallPattern::SizedText, "[発売年月日]"},
    {"GetModel", CallPattern::SizedText, "[型番]"},
    {"GetPrice", CallPattern::SizedText, "[価格]"},
    {"GetMediaInfo", CallPattern::SizedText, "[メディア情報]"},
    {"GetDeviceInfo", CallPattern::SizedText, "[対応機器]"},
    {"GetPlayer", CallPattern::SizedText, "[プレイヤー数]"},
    {"GetSaveInfo", CallPattern::SizedText, "[セーブデータ情報]"},
    {"GetSoundInfo", CallPattern::SizedText, "[サウンド情報]"},
    {"GetCeroRating", CallPattern::SizedText, "[拡張R指定]"},
};

void* PluginTable[kExportCount] = {};

int FindExport(const char* name) {
  for (int i = 0; i < kExportCount; ++i) {
    if (std::strcmp(kExports[i].name, name) == 0) return i;
  }
  return -1;
}

const char* const kKeyTypeNames[kKeyTypeCount] = {
    "16 bit CRC", "32 bit CRC", "FileName (body)", "FileName (body.ext)"};

int16_t KeyTypeCode(int keyTypeIndex) {
  static const int16_t kCodes[kKeyTypeCount] = {QB2LPT_KEY_CRC16, QB2LPT_KEY_CRC32,
                                                QB2LPT_KEY_BODY, QB2LPT_KEY_BODY_EXT};
  return keyTypeIndex >= 0 && keyTypeIndex < kKeyTypeCount ? kCodes[keyTypeIndex] : 0;
}

const char* StatusMessage(int16_t code) {
  switch (code) {
    case QB2LPT_BUFFER_SIZE_ZERO: return "警告：バッファサイズが 0 です";
    case QB2LPT_LIST_NOT_OPEN: return "エラー：リストファイルが開けない";
    case QB2LPT_KEY_NOT_FOUND: return "エラー：リストファイル中に指定されたキーが無い";
    case QB2LPT_LIST_UNUSABLE: return "エラー：利用できないリストっぽい";
    case QB2LPT_ITEM_ABSENT: return "エラー：正しく取得したが該当データは不在だった";
    case QB2LPT_NOT_A_NUMBER: return "エラー：正しく取得したが数値ではなかった";
    default: return nullptr;
  }
}

void ReportPluginStatus(ReportSink& sink, int16_t code) {
  if (const char* message = StatusMessage(code)) sink.AppendLine(message);
}
