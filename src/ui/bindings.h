// The binding table: the names by which resource files reach the program's
// dialog objects and callbacks, registered with the toolkit at start-up.
#ifndef KITSETUP_UI_BINDINGS_H
#define KITSETUP_UI_BINDINGS_H

// Registers every binding with the toolkit's connection.
void register_bindings();

#endif
