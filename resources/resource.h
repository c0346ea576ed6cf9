// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_TARNWICK 101

// The browse buttons' 16 x 16, 16-colour pictures; light grey (192, 192, 192) is
// their transparent background.
#define IDB_BROWSE_OPEN 201     // open folder with an arrow
#define IDB_BROWSE_SAVE 202     // floppy disk
#define IDB_BROWSE_DOCUMENT 203 // document
#define IDB_BROWSE_FOLDER 204   // closed folder
