#include "image/property_writer.h"

#include "base/kestrov_exception.h"
#include "base/text_conversion.h"
#include "image/engine/property_item.h"
#include "image/gdiplus_exception.h"

#include <limits>
#include <string>

namespace kestrov::gdi {

void set_text_property(imaging::image* image, std::uint32_t id, std::wstring_view text) {
    if (image == nullptr) {
        raise_last_error(e_pointer);
    }
    std::string bytes;
    to_multibyte(text, code_page_utf8, bytes);
    if (bytes.size() >= std::numeric_limits<std::uint32_t>::max()) {
        throw kestrov_exception("Vstupní text je příliš dlouhý.");
    }
    bytes.push_back('\0');
    imaging::PropertyItem item{id, static_cast<std::uint32_t>(bytes.size()),
                               imaging::property_type::ascii, bytes.data()};
    const imaging::status result = image->set_property_item(item);
    if (result != imaging::status::ok) {
        throw gdiplus_exception(result);
    }
}

} // namespace kestrov::gdi
