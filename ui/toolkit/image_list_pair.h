// The toolbar's two image lists: the images in their own colours, and the same images grey for
// disabled buttons, so one image index serves both.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace kestrov::winapi {

class image_list_pair {
public:
    explicit image_list_pair(bool with_grey);
    image_list_pair(const image_list_pair&) = delete;
    image_list_pair& operator=(const image_list_pair&) = delete;
    ~image_list_pair();

    // Adds the images of bitmap resource `resource_id` of this module: a strip of square images as
    // high as the bitmap, 32 bits per pixel, black transparent. With `make_grey`, their grey
    // versions go to `grey`.
    void add_bitmap(int resource_id);

    HIMAGELIST normal = nullptr;
    HIMAGELIST grey = nullptr;
    bool make_grey = false;
    int count = 0; // images in `normal` after the last addition

private:
    void add_grey(int resource_id);
};

} // namespace kestrov::winapi
