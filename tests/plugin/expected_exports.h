// The 24 export names in binding order, written out here rather than taken from the contract
// table, so that a wrong table shows in the loader's tests.
#pragma once

inline const char* const kNames[24] = {
    "GetPluginVersion", "GetPluginAuthor", "GetPluginInfo", "GetTitle",     "GetMaker",
    "GetCountry",       "GetVersion",      "GetGenre",      "GetYear",      "GetImgNum",
    "GetR",             "GetCreator",      "GetMemo",       "GetKana",      "GetDeveloper",
    "GetSaleDate",      "GetModel",        "GetPrice",      "GetMediaInfo", "GetDeviceInfo",
    "GetPlayer",        "GetSaveInfo",     "GetSoundInfo",  "GetCeroRating"};
