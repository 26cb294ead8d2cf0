// The settings file: the list-data path, the test key and the key type, kept between runs.
#pragma once

// Reads the three values into DatFileEdit, TestKeyEdit and KeyTypeCombo.
void LoadSettings();

// Writes the three values from the controls; the controls must still exist.
void SaveSettings();
