// Loading a resource file at run time: its resources merged into the
// database and its top-level objects created, each centred on the screen.
// Never ends the program: start-up's load_cf and the scripts' load_resources
// each decide what a bad file means to them.
#ifndef KITSETUP_TOOLKIT_MERGE_RESOURCE_FILE_H
#define KITSETUP_TOOLKIT_MERGE_RESOURCE_FILE_H

#include "lib/listring.h"

class OI_d_tech;
struct OI_resource_fault;

// Merges the file at path (after file-name translation) and creates its
// top-level objects under parent (the root object when null), hidden when
// attached to the root. 1 when the file merged, with *objects as a
// malloc'ed, null-terminated array (the caller frees it; null when the file
// declares none); 0 when it could not be merged (its first bad line in
// *fault, when given); -1 when there is no such file.
int merge_resource_file(OI_d_tech* parent, const char* path, OI_d_tech*** objects,
                        OI_resource_fault* fault = nullptr);

// The text of DEF_BAD_RESOURCE_FILE for path, followed by the place and the
// reason of the file's first bad line when one was found, so that the user
// sees what to mend.
listring bad_resource_file_text(const listring& path, const OI_resource_fault& fault);

#endif
