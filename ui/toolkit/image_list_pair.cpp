#include "ui/toolkit/image_list_pair.h"

#include "base/kestrov_exception.h"
#include "ui/toolkit/grey_image.h"
#include "ui/toolkit/window.h"

#include <cstdint>
#include <new>
#include <span>
#include <utility>
#include <vector>

namespace kestrov::winapi {

namespace {

constexpr COLORREF transparent_colour = RGB(0, 0, 0);

// A loaded bitmap resource, deleted when it goes unless handed on.
class loaded_bitmap {
public:
    explicit loaded_bitmap(int resource_id)
        : handle_(LoadBitmapW(this_module(), MAKEINTRESOURCEW(resource_id))) {
        if (handle_ == nullptr || GetObjectW(handle_, sizeof size_, &size_) == 0) {
            raise_last_error();
        }
    }
    loaded_bitmap(const loaded_bitmap&) = delete;
    loaded_bitmap& operator=(const loaded_bitmap&) = delete;
    ~loaded_bitmap() {
        if (handle_ != nullptr) {
            DeleteObject(handle_);
        }
    }

    HBITMAP handle() const { return handle_; }
    const BITMAP& size() const { return size_; }

    // Deletes the bitmap now, where a failure can still be reported.
    void remove() {
        if (!DeleteObject(std::exchange(handle_, nullptr))) {
            raise_last_error();
        }
    }

private:
    HBITMAP handle_;
    BITMAP size_{};
};

HIMAGELIST create_list(int side) {
    const HIMAGELIST list = ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, 1, 1);
    if (list == nullptr) {
        raise_last_error();
    }
    return list;
}

void add_masked(HIMAGELIST list, loaded_bitmap& bitmap) {
    if (ImageList_AddMasked(list, bitmap.handle(), transparent_colour) == -1) {
        raise_last_error();
    }
    bitmap.remove();
}

// The screen's device context for the bitmap calls, released when it goes.
class screen_context {
public:
    screen_context() : context_(GetDC(nullptr)) {
        if (context_ == nullptr) {
            raise_last_error();
        }
    }
    screen_context(const screen_context&) = delete;
    screen_context& operator=(const screen_context&) = delete;
    ~screen_context() {
        if (context_ != nullptr) {
            ReleaseDC(nullptr, context_);
        }
    }

    HDC get() const { return context_; }
    void release() {
        if (ReleaseDC(nullptr, std::exchange(context_, nullptr)) == 0) {
            raise_last_error();
        }
    }

private:
    HDC context_;
};

// A header with room for a full colour table: asked to describe a bitmap, GetDIBits may write
// colour masks or a palette after the header, which a bare BITMAPINFO has no room for.
struct bitmap_description {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

void make_bitmap_grey(const loaded_bitmap& bitmap) {
    const int width = bitmap.size().bmWidth;
    const int height = bitmap.size().bmHeight;
    screen_context screen;

    bitmap_description description{};
    description.header.biSize = sizeof description.header;
    GetDIBits(screen.get(), bitmap.handle(), 0, 0, nullptr,
              reinterpret_cast<BITMAPINFO*>(&description), DIB_RGB_COLORS);

    std::vector<std::uint8_t> pixels;
    try {
        pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    } catch (const std::bad_alloc&) {
        raise_last_error(e_outofmemory);
    }
    // Top-down rows of 4-byte blue-green-red-alpha pixels, whatever the bitmap's own format: the
    // buffer is sized for exactly that.
    description.header.biHeight = -height;
    description.header.biPlanes = 1;
    description.header.biBitCount = 32;
    description.header.biCompression = BI_RGB;
    description.header.biSizeImage = 0;
    const auto lines = static_cast<UINT>(height);
    auto* info = reinterpret_cast<BITMAPINFO*>(&description);
    if (GetDIBits(screen.get(), bitmap.handle(), 0, lines, pixels.data(), info, DIB_RGB_COLORS) ==
        0) {
        raise_last_error();
    }
    grey_pixels(pixels);
    if (SetDIBits(screen.get(), bitmap.handle(), 0, lines, pixels.data(), info, DIB_RGB_COLORS) ==
        0) {
        raise_last_error();
    }
    screen.release();
}

} // namespace

image_list_pair::image_list_pair(bool with_grey) : make_grey(with_grey) {}

image_list_pair::~image_list_pair() {
    // A destructor cannot report a failure; the lists are gone for this object either way.
    if (normal != nullptr) {
        ImageList_Destroy(std::exchange(normal, nullptr));
    }
    if (grey != nullptr) {
        ImageList_Destroy(std::exchange(grey, nullptr));
    }
}

void image_list_pair::add_bitmap(int resource_id) {
    loaded_bitmap bitmap(resource_id);
    if (normal == nullptr) {
        normal = create_list(bitmap.size().bmHeight);
    }
    add_masked(normal, bitmap);
    count = ImageList_GetImageCount(normal);
    if (make_grey) {
        add_grey(resource_id);
    }
}

void image_list_pair::add_grey(int resource_id) {
    // The list copied the bitmap it was given, which is deleted; the grey images start again from
    // the resource.
    loaded_bitmap bitmap(resource_id);
    make_bitmap_grey(bitmap);
    if (grey == nullptr) {
        grey = create_list(bitmap.size().bmHeight);
    }
    add_masked(grey, bitmap);
}

} // namespace kestrov::winapi
