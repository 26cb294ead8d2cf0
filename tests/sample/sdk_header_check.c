/* Compiled as strict C89 and as C++, each with and without the export declarations, so that the
 * SDK header stays usable from any plugin source. It is only compiled, never linked. */
#include "sdk/qb2lpt_plugin.h"

typedef char KeyTypeCodesAsTheHostPasses[(QB2LPT_KEY_CRC16 == 16 && QB2LPT_KEY_CRC32 == 0 &&
                                          QB2LPT_KEY_BODY == 100 && QB2LPT_KEY_BODY_EXT == 101)
                                             ? 1
                                             : -1];
typedef char
    StatusCodesAsTheHostReads[(QB2LPT_BUFFER_SIZE_ZERO == 0 && QB2LPT_LIST_NOT_OPEN == -256 &&
                               QB2LPT_KEY_NOT_FOUND == -512 && QB2LPT_LIST_UNUSABLE == -513 &&
                               QB2LPT_ITEM_ABSENT == -768 && QB2LPT_NOT_A_NUMBER == -769 &&
                               QB2LPT_OK > 0)
                                  ? 1
                                  : -1];
typedef char ResultsAndSizesAre16Bits[(sizeof(short) == 2 && sizeof(unsigned short) == 2) ? 1 : -1];

#ifdef QB2LPT_DECLARE_EXPORTS
/* Every declared export has the type of its call pattern. */
extern const Qb2lptVersionFn sdkVersionExport;
const Qb2lptVersionFn sdkVersionExport = GetPluginVersion;
extern const Qb2lptPluginTextFn sdkPluginTextExports[2];
const Qb2lptPluginTextFn sdkPluginTextExports[2] = {GetPluginAuthor, GetPluginInfo};
extern const Qb2lptSizedTextFn sdkSizedTextExports[18];
const Qb2lptSizedTextFn sdkSizedTextExports[18] = {
    GetTitle,     GetMaker,      GetCountry,   GetVersion,  GetGenre,     GetCreator,
    GetMemo,      GetKana,       GetDeveloper, GetSaleDate, GetModel,     GetPrice,
    GetMediaInfo, GetDeviceInfo, GetPlayer,    GetSaveInfo, GetSoundInfo, GetCeroRating};
extern const Qb2lptNumberFn sdkNumberExports[3];
const Qb2lptNumberFn sdkNumberExports[3] = {GetYear, GetImgNum, GetR};
#endif
