// liboolean: the installer's two-valued type, false (0) and true (1).
#ifndef KITSETUP_LIB_LIBOOLEAN_H
#define KITSETUP_LIB_LIBOOLEAN_H

typedef bool liboolean;

#endif
