#pragma once
// The game data file in the server window: the settings of its open and save dialogs.
class TTrovGameServerForm;

// Gives the open and save dialogs of game data files their extension, filter and options.
// Called once while the window is created, before the settings preset the open dialog's name.
void InitGameFileDialogs(TTrovGameServerForm& form);
