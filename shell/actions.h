// The three button actions of the main window.
#pragma once

void BrowseDatFile();  // BrowseButton: choose the list-data file for DatFileEdit
void LoadPlugin();     // LoadButton: choose and load the plugin named in PluginEdit
void RunRequest();     // RunButton: run the request selected in RequestCombo
