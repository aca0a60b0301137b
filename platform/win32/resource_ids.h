// Numbers of the program's resources, shared by marulex.rc and the code.
#pragma once

// The program's main icon: the first icon resource, which the shell shows for the file.
#define MARULEX_ICON 1
// The name that the screen-saver settings page lists: string 1 of a screen saver's string table.
#define MARULEX_DESCRIPTION 1
// resources/atlas.bmp as it is on disk, file header included.
#define MARULEX_ATLAS 100
