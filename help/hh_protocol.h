// The window protocol between the installer and the help viewer: the names
// both sides must spell alike. A viewer that serves every client marks one
// of its windows with the property HH_ATOM_NAME, whose text is
// HH_SERVER_MARK followed by the viewer's identifier; a client writes one
// command line into HH_COMMAND_FILE_PREFIX + identifier and then sends that
// window a client message of type HH_ATOM_NAME, format 8, whose data is the
// identifier.
#ifndef KITSETUP_HELP_HH_PROTOCOL_H
#define KITSETUP_HELP_HH_PROTOCOL_H

inline constexpr const char HH_ATOM_NAME[] = "HyperHelp";
inline constexpr const char HH_SERVER_MARK[] = "HHSERVER";
inline constexpr const char HH_COMMAND_FILE_PREFIX[] = "/tmp/hh.";
// The identifier and its terminating zero fill the 20 data bytes of a
// client message.
inline constexpr int HH_ID_MAX = 19;
// The command lines: show a topic by context number, show a file's contents.
inline constexpr const char HH_CONTEXT_LINE[] = "-c %d %s\n";
inline constexpr const char HH_CONTENTS_LINE[] = "-i %s\n";

#endif
