// The printer defaults library: finds the printer defaults file, reads and
// rewrites its sections as device, port and settings records, and reports
// failures through a replaceable handler. Arrays and paths it hands out
// belong to the caller, who frees them with the functions named below.
#ifndef KITSETUP_XP_XP_H
#define KITSETUP_XP_XP_H

#include <memory>
#include <optional>
#include <string>

// ---- The defaults file -------------------------------------------------------

// 0 the system file, 1 the user's own copy in the home directory.
typedef int XpDefaults_t;
const XpDefaults_t XP_SYSTEM_DEFAULTS = 0;
const XpDefaults_t XP_USER_DEFAULTS = 1;

// The path of the defaults file of type, allocated with malloc (free() it), or
// null after a report. Type 1 makes the user's copy of the system file when it
// is missing. Remembers type for XpGetDefaultsFileType.
char* XpGetDefaultsFile(XpDefaults_t type);

// The type of the last XpGetDefaultsFile (0 before any).
XpDefaults_t XpGetDefaultsFileType();

// ---- Records -----------------------------------------------------------------

// Sizes of the text fields of the settings record, terminator included.
const int XP_FILENAME_SIZE = 256;
const int XP_NAME_SIZE = 64;
const int XP_COMMAND_SIZE = 256;

// Orientation values of the settings record.
const int XP_PORTRAIT = 1;
const int XP_LANDSCAPE = 2;

// Settings of one printer (type 0) or a driver's generic ones (type -1).
// did is the driver: 0 PostScript, 1 PCL5, 2 PCL4.
struct Xpinfo_t {
    int type = 0;
    char filename[XP_FILENAME_SIZE] = "";
    char ppd_name[XP_NAME_SIZE] = "";
    int did = 0;
    char paper_tray[XP_NAME_SIZE] = "";
    char page_size[XP_NAME_SIZE] = "";
    char command[XP_COMMAND_SIZE] = "";
    int orientation = 0;
    double scale = 0.0;
    int copies = 0;
    int dpi = 0;
};

// A port of the ports section: its name and the shell command that prints to
// it (none for "FILE:" and for ports that have no entry).
struct XpPort_t {
    std::string port;
    std::optional<std::string> command;
};

// An installed printer (or a printer type of other-devices). display is
// alias " on " port; file is 1 when the port is "FILE:".
struct XpDevice_t {
    std::string alias;
    std::string model;
    std::string display;
    std::string driver;
    std::optional<XpPort_t> port;
    std::optional<Xpinfo_t> info;
    int file = 0;
};

// ---- Devices and ports -------------------------------------------------------

// Reads devices (other-devices when other) of file into a new array at
// *devices; *default_index is the windows default's device, or 0 with a
// wNoDefault report. The count, or -1 (null array) on no device or a bad
// line: a devices entry that lacks a part or any line holding a NUL
// (reported as eBadLine).
int XpGetDevices(XpDevice_t*** devices, int other, int* default_index, const char* file);

// Reads the ports that have a command into a new array at *ports; returns the
// count (0 and a null array when there are none or the file is unreadable).
int XpGetPorts(XpPort_t*** ports, const char* file);

// 1 and *command pointing into the array when port is among the count ports
// (names compared ignoring case), else 0.
int XpGetPrinterCommand(const char* port, XpPort_t* const* ports, int count, const char** command);

// Append a deep copy of the template record, growing the array; return 0.
int XpAppendDeviceArrayElem(XpDevice_t*** devices, int* count, const XpDevice_t* device);
int XpAppendPortArrayElem(XpPort_t*** ports, int* count, const XpPort_t* port);

// Remove and free the record at index, shifting the rest down; 0, or -1 after
// an eIllegalArg report when index is out of range.
int XpDelDeviceArrayElem(XpDevice_t*** devices, int* count, int index);
int XpDelPortArrayElem(XpPort_t*** ports, int* count, int index);

// Free the records and the array; a count of -1 (a failed read) frees nothing.
void XpFreeDeviceArray(XpDevice_t** devices, int count);
void XpFreePortArray(XpPort_t** ports, int count);

// Brings the display string and the file flag in line with the device's
// alias and port (no port counts as "FILE:").
void XpResetDisplayString(XpDevice_t* device);

// ---- Writing devices and settings (each 1 ok, 0 failed after a report) ---

// Each call checks everything it writes first and changes the file in one
// step: a refused value (eIllegalArg) or a failure leaves it as it was.

// The printer dialogs' save as one step: the devices section replaced by
// devices, their ports and settings written and, when default_index is 0 or
// more, the windows default. Deleting the section first and then writing
// would lose the printers when a value is refused.
int XpSaveDeviceInformation(const XpDevice_t* const* devices, int count, int default_index, const char* file);
// XpWriteDeviceSection, then XpWriteDefaultsForDeviceArray.
int XpWriteDeviceInformation(const XpDevice_t* const* devices, int count, const char* file);
// Writes each device's port to ports, then appends each device to devices.
int XpWriteDeviceSection(const XpDevice_t* const* devices, int count, const char* file);
int XpWritePortSection(const XpPort_t* const* ports, int count, const char* file);
// The windows default entry for device, then the device's settings section.
int XpWriteDefaultDevice(const XpDevice_t* device, const char* file);
int XpWriteDefaultsForDeviceArray(const XpDevice_t* const* devices, int count, const char* file);
// Section model "," driver "," port; info may be null (the defaults).
int XpWriteDefaultsForOneDevice(const char* model, const char* driver, const char* port,
                                const Xpinfo_t* info, const char* file);

// ---- Printer settings --------------------------------------------------------

// New settings of the installed printer model on port with driver, read from
// the remembered defaults file; without a model the generic settings of the
// driver ("Quillet," driver). Null after a report.
std::unique_ptr<Xpinfo_t> XpAlwaysGetPrinterInfoWithName(const char* model, const char* driver,
                                                         const char* port);

// Setters copy with truncation to the field's size; null clears the field.
void XpSetXpinfoFilename(Xpinfo_t* info, const char* text);
void XpSetXpinfoCommand(Xpinfo_t* info, const char* text);
void XpSetXpinfoPPDName(Xpinfo_t* info, const char* text);
void XpSetXpinfoPageSize(Xpinfo_t* info, const char* text);
void XpSetXpinfoPaperTray(Xpinfo_t* info, const char* text);
void XpSetXpinfoOrientation(Xpinfo_t* info, int orientation);
void XpSetXpinfoScale(Xpinfo_t* info, double scale);
void XpSetXpinfoCopies(Xpinfo_t* info, int copies);
void XpSetXpinfoDPI(Xpinfo_t* info, int dpi);
const char* XpGetXpinfoFilename(const Xpinfo_t* info);
const char* XpGetXpinfoCommand(const Xpinfo_t* info);
const char* XpGetXpinfoPPDName(const Xpinfo_t* info);
const char* XpGetXpinfoPageSize(const Xpinfo_t* info);
int XpGetXpinfoDid(const Xpinfo_t* info);

// ---- The private-profile engine ---------------------------------------------

// Copies the value of key in section (default_value when either is missing,
// or the file is unreadable) into buffer, truncated to size - 1; returns the
// length copied, 0 when the file is unreadable.
int _XpGetPrivateProfileString(const char* section, const char* key, const char* default_value,
                               char* buffer, int size, const char* file);

// The section's lines, trimmed, empty ones skipped, in file order, with their
// number in *count; null (count 0) when the file is unreadable.
std::unique_ptr<std::string[]> _XpGetPrivateProfileSection(const char* section, int* count,
                                                           const char* file);

// Sets key in section to value (adding the entry or the section as needed);
// a null value deletes the entry, a null key the whole section. The file is
// replaced only once its new contents are safely written. 1 ok, 0 failed.
int _XpWritePrivateProfileString(const char* section, const char* key, const char* value,
                                 const char* file);

// Adds key=value at the end of section unless that very entry is there;
// entries may share a key. 1 ok, 0 failed.
int _XpAppendPrivateProfileString(const char* section, const char* key, const char* value,
                                  const char* file);

// 1 when the section or entry is gone (or was never there), 0 failed.
int XpDeleteSection(const char* section, const char* file);
int XpDeleteSectionEntry(const char* section, const char* key, const char* file);

// ---- Errors ------------------------------------------------------------------

#define XP_ERROR(identifier, text) identifier,
enum XpErrorCode {
#include "xp/xp_errors.def"
    XP_ERROR_COUNT
};
#undef XP_ERROR

struct XpMessage_t {
    const char* identifier;
    const char* text;
};

// Indexed by error code.
extern const XpMessage_t XpMessageCatalog[XP_ERROR_COUNT];

// Receives the code of each report and 1 for an error, 0 for a warning; the
// text is then available from XpGetErrorText.
typedef void (*XpErrorHandler_t)(int code, int is_error);

// Formats the text of code (from the catalogue "XpMsgs", else the table) with
// the arguments, keeps identifier ": " text as the last error text and calls
// the handler. The default handler prints it and, for errors, exits with 1.
void XpError(int code, ...);

// Installs handler (null restores the default one); returns the previous
// handler, null when it was the default.
XpErrorHandler_t XpSetErrorHandler(XpErrorHandler_t handler);

// Copies the last error text into buffer, truncated to size - 1.
void XpGetErrorText(char* buffer, int size);

#endif
