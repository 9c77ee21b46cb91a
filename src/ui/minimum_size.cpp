#include "ui/minimum_size.h"

#include <algorithm>

#include "toolkit/oi_d_tech.h"

void minimum_size::remember(const OI_d_tech* window)
{
    window->size(&width_, &height_);
}

void minimum_size::enforce(OI_d_tech* window) const
{
    int width = 0;
    int height = 0;
    window->size(&width, &height);
    if (width < width_ || height < height_)
        window->set_size(std::max(width, width_), std::max(height, height_));
}
