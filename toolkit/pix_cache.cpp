#include "toolkit/pix_cache.h"

#include <tcl.h>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

namespace {

const char* const cache_key = "kitsetup::pix_cache";

// Tcl calls this when the interpreter goes: its images go with it.
void delete_cache(ClientData data, Tcl_Interp*)
{
    delete static_cast<PixCache*>(data);
}

}  // namespace

std::string PixCache::image_for(const std::string& file) const
{
    auto found = image_of_file_.find(file);
    return found == image_of_file_.end() ? "" : found->second;
}

std::string PixCache::file_for(const std::string& image) const
{
    auto found = file_of_image_.find(image);
    return found == file_of_image_.end() ? "" : found->second;
}

void PixCache::enter(const std::string& file, const std::string& image)
{
    auto old_image = image_of_file_.find(file);
    if (old_image != image_of_file_.end())
        forget_image(old_image->second);
    forget_image(image);
    image_of_file_[file] = image;
    file_of_image_[image] = file;
}

void PixCache::forget_image(const std::string& image)
{
    auto found = file_of_image_.find(image);
    if (found == file_of_image_.end())
        return;
    image_of_file_.erase(found->second);
    file_of_image_.erase(found);
}

// The cache hangs on the interpreter as associated data, so a toolkit that
// is stopped and started again never sees image names of a dead interpreter.
PixCache* PixCache::of(const OI_connection* conn)
{
    if (conn == nullptr || OI_tk::interp(conn) == nullptr)
        return nullptr;
    Tcl_Interp* interp = OI_tk::interp(conn);
    auto* cache = static_cast<PixCache*>(Tcl_GetAssocData(interp, cache_key, nullptr));
    if (cache == nullptr) {
        cache = new PixCache;
        Tcl_SetAssocData(interp, cache_key, delete_cache, cache);
    }
    return cache;
}
