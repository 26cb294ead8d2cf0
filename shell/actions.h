// What a click on each of the main window's three buttons does.
#pragma once

void OnBrowseClicked();  // BrowseButton: choose the list-data file for DatFileEdit
void OnLoadClicked();    // LoadButton: choose and load the plugin named in PluginEdit
void OnRunClicked();     // RunButton: run the request selected in RequestCombo
